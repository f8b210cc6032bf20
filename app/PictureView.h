#pragma once
// A picture in a widget: whatever its owner draws, on white, redrawn on demand (the Trend and
// Beat scope windows).
#include <QWidget>
#include <functional>

namespace tamsel {

class PictureView : public QWidget {
public:
    using Draw = std::function<void(QPainter &, const QRect &)>;
    PictureView(const QString &name, const QSize &least, Draw draw, QWidget *parent);
    // The picture as an image of the widget's size.
    QImage image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Draw draw_;
};

} // namespace tamsel
