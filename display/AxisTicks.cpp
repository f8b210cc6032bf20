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

AxisTicks timeTicks(double seconds, int wanted)
{
    static const double steps[] = {60,   120,  300,   600,   900,   1200,  1800,
                                   3600, 7200, 10800, 14400, 21600, 43200, 86400};
    const double span = std::isfinite(seconds) && seconds > 0 ? seconds : 60;
    const double rough = span / std::max(1, wanted);
    double step = std::ceil(rough / 86400) * 86400;
    for (double s : steps)
        if (s >= rough) {
            step = s;
            break;
        }
    AxisTicks ticks;
    ticks.step = step;
    ticks.low = 0;
    ticks.high = std::max(1.0, std::ceil(span / step - 1e-9)) * step;
    return ticks;
}

} // namespace tamsel
