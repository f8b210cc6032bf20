#include "display/SignalBars.h"

#include <algorithm>
#include <limits>

#include "display/Canvas.h"
#include "display/Pixels.h"
#include "display/SignalGraph.h"

namespace tamsel {

namespace {

constexpr int32_t kUnknown = std::numeric_limits<int32_t>::min();
constexpr uint32_t kFullScale = 32768;

} // namespace

SignalBars::SignalBars(const QImage &signalBitmap, int32_t samplesPerSweep)
{
    const int width = signalBitmap.width(), height = signalBitmap.height();
    drawable_ = SignalGraph::drawable(width, height) && samplesPerSweep > 0;
    if (!drawable_)
        return;
    verticalScale_ = static_cast<double>(static_cast<long double>(height - 20) / 32768);
    horizontalScale_ = static_cast<double>(static_cast<long double>(width - 20) / samplesPerSweep);
    baseLine_ = height - 10;
    tops_.assign(kFullScale + 1, kUnknown);
}

int SignalBars::computeColumn(int32_t writeIndex) const
{
    return pixelRound(static_cast<long double>(writeIndex) * horizontalScale_ + 10);
}

int SignalBars::columnOf(int32_t writeIndex) const
{
    if (writeIndex >= runFirst_ && writeIndex <= runLast_)
        return runColumn_;
    // A new column: find how far it reaches by bisection, so the next samples need no
    // rounding. The product grows with writeIndex, so equal ends mean an equal run.
    const int column = computeColumn(writeIndex);
    int32_t last = writeIndex;
    int64_t step = 1;
    while (step < (int64_t(1) << 31) && writeIndex + step <= std::numeric_limits<int32_t>::max() &&
           computeColumn(static_cast<int32_t>(writeIndex + step)) == column) {
        last = static_cast<int32_t>(writeIndex + step);
        step *= 2;
    }
    for (int64_t low = last, high = std::min<int64_t>(writeIndex + step, std::numeric_limits<int32_t>::max());
         high - low > 1;) {
        const int64_t middle = low + (high - low) / 2;
        if (computeColumn(static_cast<int32_t>(middle)) == column)
            low = last = static_cast<int32_t>(middle);
        else
            high = middle;
    }
    runFirst_ = writeIndex;
    runLast_ = last;
    runColumn_ = column;
    return column;
}

int SignalBars::topOf(uint32_t value) const
{
    if (value > kFullScale)
        return pixelRound(baseLine_ - static_cast<long double>(value) * verticalScale_);
    int32_t &top = tops_[value];
    if (top == kUnknown)
        top = pixelRound(baseLine_ - static_cast<long double>(value) * verticalScale_);
    return top;
}

void SignalBars::draw(QImage &signalBitmap, int32_t writeIndex, uint32_t value) const
{
    if (!drawable_ || !SignalGraph::drawable(signalBitmap.width(), signalBitmap.height()))
        return;
    const int x = columnOf(writeIndex);
    const bool sameBar = lastKey_ != 0 && signalBitmap.cacheKey() == lastKey_ && x == lastColumn_;
    // The top only falls as the value grows, so no higher value than the column's tallest
    // needs its top worked out.
    if (sameBar && value <= lastValue_)
        return;
    const int y = topOf(value);
    if (sameBar) {
        lastValue_ = value;
        if (y >= lastTop_)
            return; // within the bar already drawn
        Canvas canvas(signalBitmap);
        canvas.setPenColor(colors::red);
        canvas.moveTo(x, lastTop_);
        canvas.lineTo(x, y);
    } else {
        Canvas canvas(signalBitmap);
        canvas.setBrushColor(colors::white);
        canvas.fillRect(x + 1, 0, x + 3, canvas.height());
        canvas.setPenColor(colors::red);
        canvas.moveTo(x, baseLine_);
        canvas.lineTo(x, y);
    }
    lastKey_ = signalBitmap.cacheKey();
    lastColumn_ = x;
    lastTop_ = std::min(y, baseLine_);
    lastValue_ = value;
}

} // namespace tamsel
