#pragma once
// The timing chart's frame: the ruler switch circle in the top-left corner, the axes, the
// silver centre line and one silver line at the end of each second of the sweep.
#include <QImage>
#include <cstdint>

namespace tamsel {

class ChartFrame {
public:
    // Views this long or longer get no per-second lines: they would merge into a grey field.
    static constexpr int32_t kNoSecondLinesFrom = 600;

    // DrawChartFrame's image for a chart of width x height and a view of `seconds`.
    // An image under 21 pixels wide or high stays blank white.
    static QImage draw(int width, int height, int32_t seconds);

    // The x of the line that ends second i: Round(i x (W - 20) / seconds) + 10.
    static int secondLineX(int32_t i, int width, int32_t seconds);
};

} // namespace tamsel
