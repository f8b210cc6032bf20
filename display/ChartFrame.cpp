#include "display/ChartFrame.h"

#include "display/Canvas.h"
#include "display/Pixels.h"
#include "display/SignalGraph.h"

namespace tamsel {

int ChartFrame::secondLineX(int32_t i, int width, int32_t seconds)
{
    const double step = static_cast<double>(static_cast<long double>(width - 20) / seconds);
    return pixelRound(static_cast<long double>(i) * step) + 10;
}

QImage ChartFrame::draw(int width, int height, int32_t seconds)
{
    QImage grid = whiteLayer(width, height);
    if (!SignalGraph::drawable(width, height))
        return grid;
    Canvas canvas(grid);
    canvas.setPenColor(colors::black);
    canvas.setBrushColor(colors::white);
    canvas.ellipse(0, 0, 10, 10);

    canvas.moveTo(9, 9);
    canvas.lineTo(width - 8, 9);
    canvas.moveTo(9, 9);
    canvas.lineTo(9, height - 9);
    canvas.moveTo(9, height - 9);
    canvas.lineTo(width - 8, height - 9);

    canvas.setPenColor(colors::silver);
    canvas.moveTo(10, height / 2);
    canvas.lineTo(width - 10, height / 2);

    if (seconds > 0 && seconds < kNoSecondLinesFrom)
        for (int32_t i = 1; i <= seconds; ++i) {
            const int x = secondLineX(i, width, seconds);
            canvas.moveTo(x, 10);
            canvas.lineTo(x, height - 10);
        }
    return grid;
}

} // namespace tamsel
