#include "app/ElidedLabel.h"

#include <QEvent>

namespace tamsel {

ElidedLabel::ElidedLabel(QWidget *parent, bool asWideAsItsText)
    : QLabel(parent), asWideAsItsText_(asWideAsItsText)
{
    setSizePolicy(asWideAsItsText ? QSizePolicy::Preferred : QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    setToolTip(text);
    elide();
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const
{
    if (!asWideAsItsText_ || text_.isEmpty())
        return {0, QLabel::sizeHint().height()};
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(text_) + m.left() + m.right() + 2 * margin() + 2,
            QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        elide();
}

void ElidedLabel::elide()
{
    ensurePolished(); // a style sheet may set the font the text is measured in
    const QString shown = fontMetrics().elidedText(text_, Qt::ElideRight, contentsRect().width());
    if (shown != text())
        setText(shown);
}

} // namespace tamsel
