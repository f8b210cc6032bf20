#pragma once
// The automatic threshold: a level between the quiet level of the stored magnitudes and
// their typical tick peak, low enough that a tock at half the tick's level still reaches it
// and high enough that the noise between beats does not.
#include <cstdint>
#include <optional>

#include "measurement/LevelTracker.h"

namespace tamsel {

class ThresholdTracker {
public:
    // Fraction of the way from the quiet level up to the typical peak.
    static constexpr double kMargin = 0.2;
    // Noise peaks stand a few times above its mean: never below this many quiet levels.
    static constexpr double kQuietHeadroom = 6;
    // ... and well above how high the noise between beats usually reaches.
    static constexpr double kNoiseHeadroom = 2;

    void reset()
    {
        levels_.reset();
        known_ = false;
    }
    void add(uint16_t magnitude) { known_ |= levels_.add(magnitude); }

    // Nothing until a first block of samples has been seen.
    std::optional<int32_t> threshold() const;

private:
    LevelTracker levels_;
    bool known_ = false;
};

} // namespace tamsel
