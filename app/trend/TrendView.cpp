#include "app/trend/TrendView.h"

#include <QImage>
#include <QPainter>

namespace tamsel {

TrendView::TrendView(Draw draw, QWidget *parent) : QWidget(parent), draw_(std::move(draw))
{
    setObjectName(QStringLiteral("TrendView"));
    // Small enough for the window to fit a 1366 x 768 screen, header and buttons included.
    setMinimumSize(420, 440);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage TrendView::image() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw_(painter, rect());
    return image;
}

void TrendView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    draw_(painter, rect());
}

} // namespace tamsel
