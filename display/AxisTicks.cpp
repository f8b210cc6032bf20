#include "display/AxisTicks.h"

#include <algorithm>
#include <cmath>

namespace tamsel {

std::vector<double> AxisTicks::values() const
{
    std::vector<double> out;
    const auto n = static_cast<long>(std::lround((high - low) / step));
    for (long i = 0; i <= n && i <= 1000; ++i)
        out.push_back(low + static_cast<double>(i) * step);
    return out;
}

AxisTicks roundTicks(double low, double high, int wanted)
{
    if (!std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    if (high < low)
        std::swap(low, high);
    if (high - low < 1e-9 * std::max(1.0, std::fabs(high))) {
        const double pad = std::max(1.0, std::fabs(low) * 0.05);
        low -= pad;
        high += pad;
    }
    const double rough = (high - low) / std::max(1, wanted);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= rough) {
            step = m * power;
            break;
        }
    AxisTicks ticks;
    ticks.step = step;
    ticks.low = std::floor(low / step + 1e-9) * step;
    ticks.high = std::ceil(high / step - 1e-9) * step;
    ticks.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return ticks;
}

AxisTicks ticksSpanningAtLeast(double low, double high, double span, int wanted)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return roundTicks(low, high, wanted);
    const double middle = (low + high) / 2;
    const double half = std::max(std::fabs(high - low), span) / 2;
    return roundTicks(middle - half, middle + half, wanted);
}

std::string TimeAxis::label(double seconds) const
{
    const auto s = std::lround(seconds);
    switch (unit) {
    case TimeUnit::Seconds: return std::to_string(s);
    case TimeUnit::Minutes: return std::to_string(std::lround(seconds / 60));
    case TimeUnit::HoursMinutes: break;
    }
    const long minutes = std::lround(seconds / 60);
    const long m = minutes % 60;
    return std::to_string(minutes / 60) + (m < 10 ? ":0" : ":") + std::to_string(m);
}

const char *TimeAxis::unitName() const
{
    return unit == TimeUnit::Seconds ? "s" : unit == TimeUnit::Minutes ? "min" : "h:mm";
}

TimeAxis timeAxis(double seconds, int wanted)
{
    static const double steps[] = {1,   2,    5,    10,   15,   20,    30,    60,    120,   300,  600,
                                   900, 1200, 1800, 3600, 7200, 10800, 14400, 21600, 43200, 86400};
    const double span = std::isfinite(seconds) && seconds > 0 ? seconds : 60;
    const double rough = span / std::max(1, wanted);
    double step = std::ceil(rough / 86400) * 86400;
    for (double s : steps)
        if (s >= rough) {
            step = s;
            break;
        }
    TimeAxis axis;
    axis.ticks.step = step;
    axis.ticks.low = 0;
    // Past the last value by a little at least, so that a point there is not lost in the frame.
    axis.ticks.high = std::max(1.0, std::ceil(span / step + 0.02)) * step;
    // The unit follows the axis's length, and the step is whole in it.
    if (axis.ticks.high > 3 * 3600)
        axis.unit = TimeUnit::HoursMinutes;
    else if (axis.ticks.high > 300 || step >= 60)
        axis.unit = TimeUnit::Minutes;
    return axis;
}

} // namespace tamsel
