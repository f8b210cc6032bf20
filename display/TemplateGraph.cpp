#include "display/TemplateGraph.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "display/Canvas.h"
#include "display/Colors.h"
#include "display/SignalGraph.h"

namespace tamsel {

namespace {

constexpr int kMargin = 10;

// One template in the band of rows [top, bottom), scaled from its lowest to its highest point.
void drawOne(Canvas &canvas, int top, int bottom, const std::vector<float> &shape,
             const std::vector<double> &events)
{
    if (shape.size() < 2 || bottom - top < 4)
        return;
    const auto [low, high] = std::minmax_element(shape.begin(), shape.end());
    const double range = *high > *low ? *high - *low : 1;
    const int left = kMargin, width = canvas.width() - 2 * kMargin;
    const double last = static_cast<double>(shape.size() - 1);
    auto x = [&](double i) { return left + static_cast<int>(std::lround(i / last * (width - 1))); };
    auto y = [&](double v) {
        return bottom - 1 - static_cast<int>(std::lround((v - *low) / range * (bottom - top - 1)));
    };
    canvas.setPenWidth(1);
    canvas.setPenColor(colors::blue);
    for (double e : events) {
        canvas.moveTo(x(e), top);
        canvas.lineTo(x(e), bottom);
    }
    canvas.setPenColor(colors::red);
    canvas.moveTo(x(0), y(shape[0]));
    for (size_t i = 1; i < shape.size(); ++i)
        canvas.lineTo(x(static_cast<double>(i)), y(shape[i]));
}

} // namespace

QImage TemplateGraph::draw(int width, int height, const TemplatePicture &picture)
{
    QImage layer = whiteLayer(width, height);
    if (!SignalGraph::drawable(width, height))
        return layer;
    Canvas canvas(layer);
    const int middle = height / 2;
    drawOne(canvas, kMargin, middle - 2, picture.tick, picture.tickEvents);
    drawOne(canvas, middle + 2, height - kMargin, picture.tock, picture.tockEvents);
    QPainter painter(&layer);
    painter.setPen(QColor(colors::black));
    QFont font = painter.font();
    font.setPixelSize(std::clamp(height / 10, 8, 12));
    painter.setFont(font);
    painter.drawText(kMargin + 2, kMargin + font.pixelSize(), QStringLiteral("Tick"));
    painter.drawText(kMargin + 2, middle + 2 + font.pixelSize(), QStringLiteral("Tock"));
    // The time the pictures span, so the spacing of the sub-events can be read off.
    const double ms = static_cast<double>(picture.tick.size()) * picture.samplesPerPoint / 44.1;
    painter.drawText(width - kMargin - 60, height - 2, QStringLiteral("%1 ms").arg(ms, 0, 'f', 0));
    return layer;
}

} // namespace tamsel
