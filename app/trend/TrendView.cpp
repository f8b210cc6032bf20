#include "app/trend/TrendView.h"

#include <QImage>
#include <QPainter>

#include "display/TrendPlot.h"

namespace tamsel {

TrendView::TrendView(const LongRun &run, QWidget *parent) : QWidget(parent), run_(run)
{
    setObjectName(QStringLiteral("TrendView"));
    setMinimumSize(420, 480);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage TrendView::image() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TrendPlot::draw(painter, rect(), run_);
    return image;
}

void TrendView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    TrendPlot::draw(painter, rect(), run_);
}

} // namespace tamsel
