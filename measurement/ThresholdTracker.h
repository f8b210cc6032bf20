#pragma once
// The automatic threshold: a level between how high the noise between beats reaches and how
// high a typical beat peaks, low enough that a tock at half the tick's level still reaches it
// and high enough that the noise does not. Both levels are peaks: a hum's mean |s| is only
// 0.64 of its amplitude, so a threshold taken from means lands among the hum's own peaks or far
// above them, depending on how loud it is.
#include <cstdint>
#include <optional>

#include "measurement/LevelTracker.h"

namespace tamsel {

class InputConditioner;

class ThresholdTracker {
public:
    // Fraction of the way from the noise's reach up to the typical peak.
    static constexpr double kMargin = 0.2;
    // ... and never below this many times the noise's reach.
    static constexpr double kNoiseHeadroom = 2;

    void reset()
    {
        levels_.reset();
        known_ = false;
    }
    // |s| of every stored sample, with the input filter off.
    void add(uint16_t magnitude) { known_ |= levels_.add(magnitude); }

    // From the samples added; nothing until a first block of them has been seen.
    std::optional<int32_t> threshold() const;
    // With the input filter on: from the conditioner's own levels, on the scale of its output,
    // rather than from a second tracker stacked on that output.
    static std::optional<int32_t> threshold(const InputConditioner &conditioner);

private:
    static int32_t between(double noiseReach, double typicalPeak);

    LevelTracker levels_;
    bool known_ = false;
};

} // namespace tamsel
