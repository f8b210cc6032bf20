#include "app/TPaintBox.h"

#include <QMouseEvent>
#include <QPainter>

#include "display/Canvas.h"

namespace tamsel {

TPaintBox::TPaintBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::draw(int x, int y, const QImage &image)
{
    if (surface_.isNull() || image.isNull())
        return;
    QPainter painter(&surface_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, image);
    update(QRect(x, y, image.width(), image.height()));
}

void TPaintBox::drawTransparent(int x, int y, const QImage &image)
{
    if (surface_.isNull() || image.isNull())
        return;
    Canvas(surface_).drawTransparent(x, y, image);
    update(QRect(x, y, image.width(), image.height()));
}

void TPaintBox::paintEvent(QPaintEvent *e)
{
    QPainter painter(this);
    painter.fillRect(e->rect(), palette().window());
    if (!surface_.isNull())
        painter.drawImage(e->rect().topLeft(), surface_, e->rect());
}

void TPaintBox::resizeEvent(QResizeEvent *)
{
    // Keep what was drawn; new area shows the background until something is drawn there.
    QImage grown(size(), QImage::Format_RGB32);
    grown.fill(palette().window().color());
    if (!surface_.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, surface_);
    }
    surface_ = grown;
}

void TPaintBox::mousePressEvent(QMouseEvent *e)
{
    if (OnMouseDown)
        OnMouseDown(e);
}

void TPaintBox::mouseMoveEvent(QMouseEvent *e)
{
    if (OnMouseMove)
        OnMouseMove(e);
}

} // namespace tamsel
