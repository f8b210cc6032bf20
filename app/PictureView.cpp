#include "app/PictureView.h"

#include <QImage>
#include <QPainter>

namespace tamsel {

PictureView::PictureView(const QString &name, const QSize &least, Draw draw, QWidget *parent)
    : QWidget(parent), draw_(std::move(draw))
{
    setObjectName(name);
    setMinimumSize(least);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage PictureView::image() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw_(painter, rect());
    return image;
}

void PictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    draw_(painter, rect());
}

} // namespace tamsel
