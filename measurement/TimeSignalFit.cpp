#include "measurement/TimeSignalFit.h"

#include <algorithm>
#include <cstdlib>

#include "measurement/ValueRanges.h"

namespace tamsel {

namespace {
// How far a second may stray: 0.1 % (a card is rarely 0.01 % off; a watch's ticks that
// happen to fall near a second drift through this within a few seconds).
constexpr int64_t kToleranceDivisor = 1000;
// The longest pulse: radio time signals sound 5 to 100 ms bursts.
constexpr int64_t kPulseLength = kNominalSampleRate * 15 / 100;
} // namespace

TimeSignalFit::Verdict TimeSignalFit::counted(int64_t at, int32_t second)
{
    if (!pulses_.empty()) {
        const Pulse &last = pulses_.back();
        const int64_t seconds = static_cast<int64_t>(second) - last.second;
        const int64_t stray = (at - last.at) - seconds * kNominalSampleRate;
        if (seconds <= 0 || std::llabs(stray) * kToleranceDivisor > seconds * kNominalSampleRate)
            return Verdict::NotHeard;
    }
    pulses_.push_back({second, at});
    if (second < kSeconds)
        return Verdict::Listening;
    return 2 * pulses_.size() > static_cast<size_t>(second) ? Verdict::Heard : Verdict::NotHeard;
}

TimeSignalFit::Verdict TimeSignalFit::uncounted(int64_t at) const
{
    if (pulses_.empty())
        return Verdict::Listening;
    const int64_t after = at - pulses_.back().at;
    return 0 <= after && after <= kPulseLength ? Verdict::Listening : Verdict::NotHeard;
}

long double TimeSignalFit::samplesPerSecond() const
{
    if (pulses_.size() < 2)
        return kNominalSampleRate;
    long double meanSecond = 0, meanAt = 0;
    const int64_t origin = pulses_.front().at;
    for (const Pulse &p : pulses_) {
        meanSecond += p.second;
        meanAt += p.at - origin;
    }
    meanSecond /= pulses_.size();
    meanAt /= pulses_.size();
    long double covariance = 0, variance = 0;
    for (const Pulse &p : pulses_) {
        const long double ds = p.second - meanSecond;
        covariance += ds * (p.at - origin - meanAt);
        variance += ds * ds;
    }
    return covariance / variance;
}

int32_t TimeSignalFit::secondsLeft() const
{
    return pulses_.empty() ? kSeconds : std::max(0, kSeconds - pulses_.back().second);
}

} // namespace tamsel
