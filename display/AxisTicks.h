#pragma once
// Round tick values for a plot's axis: steps of 1, 2 or 5 times a power of ten, or for a time
// axis whole minutes and hours, with the axis widened to the ticks around the data.
#include <vector>

namespace tamsel {

struct AxisTicks {
    double low = 0, high = 1; // the axis, on ticks
    double step = 1;
    int decimals = 0; // enough to tell two ticks apart
    std::vector<double> values() const;
};

// About `wanted` intervals (at least one) over [low, high]; an empty or invalid range is
// widened around its value.
AxisTicks roundTicks(double low, double high, int wanted);
// Seconds, stepped by 1, 2, 5, 10, 15, 20 or 30 minutes or 1, 2, 3, 4, 6, 12 or 24 hours and
// multiples of a day after that; the axis begins at 0.
AxisTicks timeTicks(double seconds, int wanted);

} // namespace tamsel
