#pragma once
// The values each stored or given number may take. A settings file value outside its range
// falls back to the default; a command-line value outside it is refused.
#include <cstdint>
#include <limits>

#include "measurement/SampleHistory.h"

namespace tamsel {

constexpr int32_t kNominalSampleRate = 44100;

struct IntRange {
    int64_t min;
    int64_t max;
    constexpr bool holds(int64_t value) const { return min <= value && value <= max; }
};

// Sample units; the noise calibration gives up to 32 769 (a full-scale sample, plus one).
constexpr IntRange kNoiseLevelRange{0, 32769};
// The threshold track bar's positions.
constexpr IntRange kThresholdPositionRange{0, 32768};
// Chart magnification: the menu offers 1, 2, 4 and 8; a stored 3 works as 3.
constexpr IntRange kZoomRange{1, 8};
// One second stays at least one sample long, and the longest sweep (900 s) still fits the
// history with its extra entry.
constexpr IntRange kFineCorrectionRange{1 - kNominalSampleRate,
                                        (SampleHistory::kCapacity - 1) / 900 - kNominalSampleRate};
// The clock correction in s/day, either way (1 s/day is 0.51 samples per second).
struct RealRange {
    double min;
    double max;
    constexpr bool holds(double value) const { return min <= value && value <= max; } // never NaN
};
constexpr RealRange kClockCorrectionRange{-500, 500};
// The view lengths the View menu offers, in seconds; from kLeastSweepView on, a view measures
// each sweep (a shorter one shows the sound).
constexpr int32_t kViewSeconds[] = {1, 2, 3, 10, 20, 30, 40, 60, 120, 300, 600, 900};
constexpr int32_t kLeastSweepView = 10;
// Stored display modes: 0, and any other value for the second mode.
constexpr IntRange kStoredModeRange{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};

} // namespace tamsel
