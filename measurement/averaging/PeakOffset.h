#pragma once
// Where a peak lies between samples: the top of the parabola through the best sample and its
// two neighbours, as an offset of at most half a sample from the best one.
#include <algorithm>

namespace tamsel {

inline double peakOffset(double before, double best, double after)
{
    const double curve = before - 2 * best + after;
    return curve < 0 ? std::clamp(0.5 * (before - after) / curve, -0.5, 0.5) : 0.0;
}

} // namespace tamsel
