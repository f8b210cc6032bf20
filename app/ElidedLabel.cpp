#include "app/ElidedLabel.h"

#include <QEvent>

namespace tamsel {

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    text_ = text;
    setToolTip(text);
    elide();
}

QSize ElidedLabel::sizeHint() const
{
    return {0, QLabel::sizeHint().height()};
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
