#include "measurement/Measures.h"

#include <algorithm>
#include <cmath>

#include "measurement/Numbers.h"

namespace tamsel {

namespace {
constexpr long double kSecondsPerDay = 86400.0L;

bool IsWhole(long double x)
{
    return std::isfinite(x) && x == std::truncl(x);
}
} // namespace

void Measures::UpdateRate(const Beat &beat)
{
    if (state_.rateMode == 0)
        UpdateAverageRate();
    else
        UpdateTwoBeatRate(beat);
}

void Measures::UpdateAverageRate()
{
    const MeasurementState &s = state_;
    int32_t n = s.beatCount - 1;
    const long double bps = s.beatsPerSecond;
    // Only on whole seconds of beats (every two seconds at rates such as 5.5 per second).
    if (n <= 0 || !IsWhole(n / bps))
        return;
    if (RoundHalfAway(bps) != bps && !IsWhole(n / (bps * 2)))
        return;
    // Whole tick-tock pairs only: an odd count runs from a tick to a tock, and the beat error
    // would enter the rate as beat error / span. The last interval is left out.
    int32_t end = s.lastBeatIndex;
    if (n % 2 != 0) {
        end = s.previousBeatIndex;
        --n;
    }
    if (n <= 0)
        return;
    const int32_t span = end - s.intervalStart;
    const long double ratio = (s.trueBeatPeriod() * n - span) / n / s.trueSamplesPerSecond() * bps;
    state_.rateRatio = static_cast<double>(ratio);
    output_.rateMeasured(static_cast<double>(state_.rateRatio * kSecondsPerDay));
}

void Measures::UpdateTwoBeatRate(const Beat &beat)
{
    MeasurementState &s = state_;
    if ((s.beatCount - 1) % 2 != 0)
        return;
    const int32_t span = s.lastBeatIndex - s.intervalStart;
    // A missed beat breaks the span: it then covers more than one tick and one tock, or ends
    // at a time counted in whole periods rather than measured; read as two periods it would
    // show a wild rate. Keep the last reading and start the next span at this pulse instead.
    const long double periods = span / s.beatPeriod();
    if (!beat.inStep || periods < 1.5L || periods >= 2.5L) {
        s.intervalStart = beat.beatTime;
        return;
    }
    s.intervalStart = s.lastBeatIndex;
    const long double ratio = span / s.trueSamplesPerSecond() * s.beatsPerSecond / 2;
    s.rateRatio = static_cast<double>(ratio);
    output_.rateMeasured(static_cast<double>((1 - static_cast<long double>(s.rateRatio)) * kSecondsPerDay));
}

void Measures::UpdateBeatHistory(Beat &beat, const AnalysisControls &controls)
{
    MeasurementState &s = state_;
    if (s.beatMark1 == 0) {
        s.beatMark1 = beat.beatTime;
        beat.latePeak = beat.peakIndex;
        return;
    }
    if (s.beatMark2 == 0) {
        s.beatMark2 = beat.beatTime;
        MeasureAmplitude(static_cast<int64_t>(s.beatMark2) - s.beatMark1, beat, controls);
        return;
    }
    s.beatMark3 = beat.beatTime;
    MeasureAmplitude(static_cast<int64_t>(s.beatMark3) - s.beatMark2, beat, controls);
    MeasureBeatError();
    s.beatMark1 = s.beatMark2;
    s.beatMark2 = s.beatMark3;
}

uint32_t Measures::AmplitudeDegrees(int64_t interval, uint32_t liftSamples, int32_t liftAngle)
{
    long double x = static_cast<long double>(interval + liftSamples) / 2 / 2 / liftSamples * liftAngle;
    // Only absurd lift angles get near this; it keeps the conversion defined.
    x = std::clamp(x, -0x1p62L, 0x1p62L);
    return static_cast<uint32_t>(Round(x) + liftAngle);
}

void Measures::MeasureAmplitude(int64_t interval, Beat &beat, const AnalysisControls &controls)
{
    const MeasurementState &s = state_;
    uint32_t lift = static_cast<uint32_t>(beat.peakIndex) - beat.pulseStart;
    if (!s.beatRateSet() || controls.pulseMode || lift == 0)
        return;
    uint32_t degrees = AmplitudeDegrees(interval, lift, s.liftAngle);
    if (degrees > 360) {
        // Beyond a full turn the peak came early in the pulse: the largest sound of the
        // pulse's last third then stands for the end of the lift.
        const uint32_t lateLift = static_cast<uint32_t>(beat.latePeak) - beat.pulseStart;
        if (lateLift != 0) {
            lift = lateLift;
            degrees = AmplitudeDegrees(interval, lift, s.liftAngle);
        }
    } else {
        beat.latePeak = beat.peakIndex;
    }
    const bool valid = static_cast<int64_t>(s.liftAngle) < degrees && degrees <= 360;
    state_.liftSamples = lift;
    output_.amplitudeMeasured(degrees, valid, lift);
}

void Measures::MeasureBeatError()
{
    const MeasurementState &s = state_;
    const int32_t first = s.beatMark2 - s.beatMark1;
    const int32_t second = s.beatMark3 - s.beatMark2;
    long double e;
    if (s.beatErrorMode == 0) {
        if (!s.beatRateSet())
            return;
        e = std::fabs(s.trueBeatPeriod() - std::abs(first)) / s.trueSamplesPerSecond() * 1000;
    } else {
        e = std::abs(first - second) / s.trueSamplesPerSecond() * 1000 / 2;
    }
    output_.beatErrorMeasured(static_cast<double>(e));
}

} // namespace tamsel
