#include "measurement/ThresholdTracker.h"

#include <algorithm>
#include <cmath>

namespace tamsel {

std::optional<int32_t> ThresholdTracker::threshold() const
{
    if (!known_)
        return std::nullopt;
    const double quiet = levels_.quiet();
    const double level = std::max({quiet + kMargin * (levels_.peak() - quiet), kQuietHeadroom * quiet,
                                   kNoiseHeadroom * levels_.quietPeak()});
    return static_cast<int32_t>(std::lround(std::min(level, 32768.0)));
}

} // namespace tamsel
