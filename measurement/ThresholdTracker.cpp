#include "measurement/ThresholdTracker.h"

#include <algorithm>
#include <cmath>

#include "measurement/InputConditioner.h"

namespace tamsel {

int32_t ThresholdTracker::between(double noiseReach, double typicalPeak)
{
    const double level =
        std::max(noiseReach + kMargin * (typicalPeak - noiseReach), kNoiseHeadroom * noiseReach);
    return static_cast<int32_t>(std::lround(std::clamp(level, 0.0, 32768.0)));
}

std::optional<int32_t> ThresholdTracker::threshold() const
{
    if (!known_)
        return std::nullopt;
    return between(levels_.quietPeak(), levels_.peak());
}

std::optional<int32_t> ThresholdTracker::threshold(const InputConditioner &conditioner)
{
    if (!conditioner.settled())
        return std::nullopt;
    return between(conditioner.noiseReach(), conditioner.typicalPeak());
}

} // namespace tamsel
