#pragma once
// Rounding of computed positions to pixels. A value beyond any image (or not a number, from
// a scale that makes no sense) lands far off the image, where the canvas clips it, so that
// no conversion ever overflows.
#include <cmath>
#include <cstdint>

#include "measurement/Numbers.h"

namespace tamsel {

constexpr int kFarOff = 1 << 30;

// Round (halves to even) to a pixel coordinate.
inline int pixelRound(long double x)
{
    if (!(x > -kFarOff)) // also a NaN
        return -kFarOff;
    if (x > kFarOff)
        return kFarOff;
    return static_cast<int>(Round(x));
}

// Round (halves to even) to a 64-bit value, held within +-2^62 so that sums stay in range.
inline int64_t boundedRound(long double x)
{
    constexpr long double limit = 4611686018427387904.0L; // 2^62
    if (std::isnan(x))
        return 0;
    if (x >= limit)
        return static_cast<int64_t>(limit);
    if (x <= -limit)
        return -static_cast<int64_t>(limit);
    return Round(x);
}

// The nearest int to a 64-bit value, for coordinates computed in 64 bits.
inline int pixelClamp(int64_t x)
{
    return x < -kFarOff ? -kFarOff : (x > kFarOff ? kFarOff : static_cast<int>(x));
}

} // namespace tamsel
