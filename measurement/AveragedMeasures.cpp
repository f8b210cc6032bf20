#include "measurement/AveragedMeasures.h"

#include "measurement/MeasurementState.h"
#include "measurement/Numbers.h"

namespace tamsel {

namespace {
constexpr long double kSecondsPerDay = 86400.0L;
} // namespace

AveragedMeasures AveragedMeasures::Of(const AveragingMeter::Reading &r, const MeasurementState &state)
{
    AveragedMeasures m;
    // Samples become time by the sound card's true rate (the clock correction).
    const long double secondsPerSample = 1.0L / state.trueSamplesPerSecond();
    const long double nominal = state.trueBeatPeriod();
    const long double ratio = (nominal - r.beatPeriod) / nominal;
    m.rateRatio = static_cast<double>(ratio);
    m.secondsPerDay = static_cast<double>(ratio * kSecondsPerDay);
    m.beatErrorMs = static_cast<double>(r.beatError * secondsPerSample * 1000);
    // The balance's own motion gives the amplitude here: the lift is measured from the
    // unlocking to the drop, not from a pulse's shape. A pendulum's lift angle is a few degrees,
    // below what the setting takes: a clock's amplitude is not given.
    m.amplitudeDegrees =
        r.beatsPerHour < kLeastAmplitudeBeatsPerHour ? 0 : AveragingMeter::amplitude(state.liftAngle, r);
    m.liftSamples = static_cast<uint32_t>(Round(r.lift));
    return m;
}

Reading::Hearing AveragedMeasures::HearingOf(AveragingMeter::Hearing hearing,
                                             const AveragingMeter::Reading *reading)
{
    switch (hearing) {
    case AveragingMeter::Hearing::NoWatch: return Reading::Hearing::NoWatch;
    case AveragingMeter::Hearing::Weak: return Reading::Hearing::Weak;
    default:
        // Beats placed, but no amplitude: the status bar says why.
        if (reading && reading->beatsPerHour < kLeastAmplitudeBeatsPerHour)
            return Reading::Hearing::TooSlowForAmplitude;
        if (reading && reading->lift <= 0)
            return Reading::Hearing::NoLift;
        return Reading::Hearing::Heard;
    }
}

} // namespace tamsel
