#include "display/ChartScale.h"

#include <cmath>

#include "display/Pixels.h"
#include "display/SignalGraph.h"

namespace tamsel {

namespace {

// Marks are placed on the nominal second, whatever the sound card's correction.
constexpr long double kNominalSecond = 44100;

} // namespace

int ChartScale::penWidthFor(int32_t viewSeconds)
{
    switch (viewSeconds) {
    case 10: return 4;
    case 20:
    case 30:
    case 40:
    case 60:
    case 120: return 3;
    case 300:
    case 600:
    case 900: return 2;
    default: return 5;
    }
}

ChartScale::ChartScale(const QImage &traceBitmap, const MeasurementState &state)
{
    width_ = traceBitmap.width();
    height_ = traceBitmap.height();
    penWidth_ = penWidthFor(state.viewSeconds);
    const long double wp = width_ - 20, hp = height_ - 20;
    const long double zoom = effectiveZoom(state.zoom);
    const long double perSecond = state.samplesPerSecond;
    if (state.beatRateSet())
        vertical_ = static_cast<double>(hp / (perSecond / state.beatsPerSecond / zoom));
    else
        vertical_ = static_cast<double>(hp / (perSecond / 8 / zoom));
    if (state.samplesPerSweep > 0)
        horizontal_ = static_cast<double>(wp / state.samplesPerSweep);
    span_ = static_cast<double>(hp / vertical_);
    drawable_ = SignalGraph::drawable(width_, height_) && state.samplesPerSweep > 0 &&
                state.samplesPerSecond > 0 && std::isfinite(vertical_) && std::isfinite(horizontal_);
}

int ChartScale::x(int64_t i) const
{
    return pixelRound(static_cast<long double>(i) * horizontal_) + 10;
}

int ChartScale::y(int64_t i, int32_t traceOrigin) const
{
    const int64_t hp = height_ - 20;
    if (hp <= 0)
        return -kFarOff;
    const int64_t phase = boundedRound(static_cast<long double>(i - traceOrigin) * vertical_);
    return static_cast<int>(phase % hp) + 10;
}

int ChartScale::secondWidth() const
{
    return pixelRound(kNominalSecond * horizontal_);
}

std::optional<int32_t> ChartScale::centredOrigin(int32_t beatTime) const
{
    const long double s = span_;
    if (!std::isfinite(span_) || span_ == 0)
        return std::nullopt;
    const long double b = beatTime;
    const long double periods = b / s;
    if (!(std::fabs(periods) < 4.0e18L))
        return std::nullopt;
    const long double origin = b - (static_cast<long double>(Trunc(periods)) * s + s / 2);
    if (!(origin > -2147483649.0L && origin < 2147483648.0L))
        return std::nullopt;
    return static_cast<int32_t>(Trunc(origin));
}

} // namespace tamsel
