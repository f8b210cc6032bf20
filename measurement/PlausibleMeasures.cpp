#include "measurement/PlausibleMeasures.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "measurement/MeasurementState.h"
#include "measurement/Median.h"
#include "measurement/StandardRates.h"
#include "measurement/WatchLikeness.h"

namespace tamsel {

namespace {
// How far the typical two-beat span may stray from the averaged rate's, in samples: beat
// times are peaks found to a sample or two, and their median is steadier still.
constexpr double kSpacingSamples = 4;
// How far one beat's beat error may stray from the latest ones', in milliseconds: a pulse
// timed a few samples off in noise moves it by a tenth or two.
constexpr double kBeatErrorSpreadMs = 0.3;
constexpr long double kSecondsPerDay = 86400.0L;
} // namespace

void PlausibleMeasures::restart()
{
    newSweep();
    recentBeatErrors_.clear();
    amplitudeOfThisBeat_ = false;
}

void PlausibleMeasures::newSweep()
{
    pairSpans_.clear();
    inStepRun_ = 0;
}

bool PlausibleMeasures::amplitudeLost(const Beat &beat)
{
    return std::exchange(amplitudeOfThisBeat_, false) && !beat.pulseStartFound;
}

// Three beats in a row, each within a fifth of a period of the one before (the beat counter's
// own test), span two beats whatever the beat error.
void PlausibleMeasures::followSpacing(const Beat &beat)
{
    if (!beat.inStep) {
        inStepRun_ = 0;
        return;
    }
    if (++inStepRun_ >= 3)
        pairSpans_.push_back(beat.beatTime - beforeLastInStep_);
    beforeLastInStep_ = lastInStep_;
    lastInStep_ = beat.beatTime;
}

// A counted beat rate is a standard one, and a watch runs within a standard rate's tolerance:
// a rate beyond it was measured at a count that is not the watch's (a watch between whole beats
// a second, a beat high or low). A rate set by hand may be any. The two-beat rate spans no
// count of beats.
bool PlausibleMeasures::rateCounted(double secondsPerDay, const MeasurementState &state,
                                    bool beatCounterOn) const
{
    const bool beyondTheCountedRate =
        beatCounterOn && std::fabs(secondsPerDay) > kStandardRateTolerance * kSecondsPerDay;
    return (state.rateMode != 0 ||
            !spacingContradicts(state.rateRatio, static_cast<double>(state.trueBeatPeriod()))) &&
           !beyondTheCountedRate;
}

// The averaged rate counts the beats of its whole span, through missed beats and stray
// pulses; a beat miscounted there moves it by a whole period over the span. The spans of
// consecutive beats measure the same rate on their own, to a few samples: a rate that
// disagrees with them by more was counted wrong.
bool PlausibleMeasures::spacingContradicts(double ratio, double beatPeriod) const
{
    if (pairSpans_.empty())
        return true; // not one run of three beats: nothing confirms the count
    const double twoBeats = 2 * beatPeriod;
    const double spacingRatio = 1 - median(pairSpans_) / twoBeats;
    return std::fabs(ratio - spacingRatio) > kSpacingSamples / twoBeats;
}

// Tick and tock keep their distance from even beat after beat, so each beat's beat error is
// the watch's to within the timing of its pulses; one far from the latest ones was measured on
// a stray click or a missed beat.
bool PlausibleMeasures::steadyBeatError(double milliseconds)
{
    recentBeatErrors_.push_back(milliseconds);
    if (recentBeatErrors_.size() > WatchLikeness::kPulsesJudged)
        recentBeatErrors_.pop_front();
    if (recentBeatErrors_.size() < 3)
        return true;
    const double typical = median(std::vector<double>(recentBeatErrors_.begin(), recentBeatErrors_.end()));
    return std::fabs(milliseconds - typical) <= std::max(kBeatErrorSpreadMs, typical / 4);
}

} // namespace tamsel
