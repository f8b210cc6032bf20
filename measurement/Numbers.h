#pragma once
// The three roundings of the measurement, kept apart on purpose: each use names the one it needs.
#include <cmath>
#include <cstdint>

namespace tamsel {

// Toward zero.
inline int64_t Trunc(long double x)
{
    return static_cast<int64_t>(x);
}

// Nearest, halves to the even neighbour (the default rounding mode of the FPU).
inline int64_t Round(long double x)
{
    return static_cast<int64_t>(std::nearbyintl(x));
}

// Nearest, halves away from zero.
inline int64_t RoundHalfAway(long double x)
{
    return x >= 0 ? Trunc(x + 0.5L) : Trunc(x - 0.5L);
}

} // namespace tamsel
