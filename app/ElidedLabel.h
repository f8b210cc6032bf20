#pragma once
// A one-line label that takes the room its layout gives it and never asks for more: a text
// too long for it is elided, and the whole text is in its tooltip. One that is `asWideAsItsText`
// prefers its whole text's width where there is room.
#include <QLabel>

namespace tamsel {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent, bool asWideAsItsText = false);

    void setFullText(const QString &text);
    QString fullText() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString text_;
    bool asWideAsItsText_;
};

} // namespace tamsel
