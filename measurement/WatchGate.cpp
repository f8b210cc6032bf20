#include "measurement/WatchGate.h"

#include <utility>

#include "measurement/AveragedMeasures.h"
#include "measurement/MeasurementEngine.h"

namespace tamsel {

WatchGate::WatchGate(MeasurementEngine &engine, MeasurementState &state, MeasurementListener &listener)
    : engine_(engine), state_(state), listener_(listener), publisher_(state, listener)
{}

// Beat detection's measures are checked against its own beats and pulses; the averaging
// meter's have no such beats.
bool WatchGate::gated() const
{
    return engine_.mode() == MeasuringMode::Threshold;
}

WatchVerdict WatchGate::verdict() const
{
    return heard_.verdict(engine_.mode());
}

bool WatchGate::showing() const
{
    return verdict() == WatchVerdict::Watch;
}

HeardWatch::Hearing WatchGate::pulseHearing() const
{
    return {static_cast<double>(state_.samplesPerSecond), !engine_.controls().beatCounterOn};
}

void WatchGate::Reset()
{
    heard_.restart();
    plausible_.restart();
    held_ = {};
    publisher_.restart();
}

void WatchGate::newSound()
{
    Reset();
    showNothing();
}

void WatchGate::forgetAmplitude()
{
    publisher_.forgetAmplitude();
    clearAndTell(Reading::kAmplitude);
}

double WatchGate::shownBeatsPerSecond() const
{
    // A beat rate set by hand is a setting, shown whatever is heard.
    return gated() && beatRateHidden_ && engine_.controls().beatCounterOn ? 0 : state_.beatsPerSecond;
}

double WatchGate::shownRateRatio() const
{
    return gated() ? publisher_.shownRatio() : state_.rateRatio;
}

void WatchGate::passStarted()
{
    listener_.passStarted();
}

void WatchGate::firstBeatOfSweep()
{
    listener_.firstBeatOfSweep();
    plausible_.newSweep();
}

void WatchGate::rateMeasured(double secondsPerDay)
{
    // Judged against the spacing of the beats it was measured on.
    const bool counted =
        !gated() || plausible_.rateCounted(secondsPerDay, state_, engine_.controls().beatCounterOn);
    if (showing()) {
        showRate(secondsPerDay, state_.rateRatio, counted);
    } else {
        held_.rate = secondsPerDay;
        held_.rateRatio = state_.rateRatio;
        held_.rateCounted = counted;
    }
}

void WatchGate::timeSignalCalibrationEnded()
{
    listener_.timeSignalCalibrationEnded(true);
}

void WatchGate::timeSignalNotHeard()
{
    listener_.timeSignalCalibrationEnded(false);
}

// The measure's own check (above the lift angle, which is at most 90 degrees, and at most a
// full turn) lies within the rule of what a balance shows, which judges every amplitude.
void WatchGate::amplitudeMeasured(uint32_t degrees, bool /*valid*/, uint32_t liftSamples)
{
    measureAmplitude({static_cast<double>(degrees), liftSamples});
}

void WatchGate::measureAmplitude(const Held::Amplitude &amplitude)
{
    plausible_.amplitudeMeasured();
    if (showing())
        showAmplitude(amplitude);
    else
        held_.amplitude = amplitude;
}

void WatchGate::beatErrorMeasured(double milliseconds)
{
    if (gated() && !plausible_.steadyBeatError(milliseconds)) {
        if (showing())
            clearAndTell(Reading::kBeatError);
        else
            held_.beatError.reset();
        return;
    }
    if (showing())
        showBeatError(milliseconds);
    else
        held_.beatError = milliseconds;
}

void WatchGate::beatMarked(const Beat &beat)
{
    listener_.beatMarked(beat);
    if (!gated())
        return;
    if (plausible_.amplitudeLost(beat)) {
        if (showing())
            clearAndTell(Reading::kAmplitude);
        else
            held_.amplitude.reset();
    }
    plausible_.followSpacing(beat);
    // Times count from when the engine began hearing, so that the pulses of two sweeps keep
    // their distance.
    const int64_t sweepOrigin = engine_.samplesHeard() - state_.writeIndex;
    heard_.pulseHeard(
        static_cast<double>(sweepOrigin + beat.beatTime),
        HeardWatch::PulseWidth(beat, state_.sampleHistory.data(), engine_.controls().thresholdLevel));
    judge();
}

void WatchGate::passEnded()
{
    listener_.passEnded();
}

void WatchGate::beatRateCounted()
{
    if (!gated()) {
        publisher_.showBeatRate(); // the meter counts what it hears, a watch by its own judgement
        return;
    }
    if (const std::optional<double> kept = heard_.beatRateKept(state_.beatsPerSecond, pulseHearing()))
        state_.beatsPerSecond = *kept;
    held_.beatRate = true;
    judge(); // a new beat rate may decide
    if (showing())
        showHeld();
    else
        beatRateHidden_ = true;
    if (!state_.beatRateSet())
        showNoMeasures();
}

// No beat rate, so nothing is measured: the measures show nothing, as for silence, rather than
// the last figures of a watch that has stopped.
void WatchGate::showNoMeasures()
{
    held_ = {};
    publisher_.clear(Reading::kMeasures);
    publisher_.forgetRatio();
    publisher_.tell();
}

void WatchGate::judge()
{
    const WatchVerdict before = heard_.verdict(MeasuringMode::Threshold);
    const WatchVerdict now = heard_.judge(state_.beatsPerSecond, pulseHearing());
    if (now == before)
        return;
    if (now == WatchVerdict::Watch) {
        publisher_.hearAs(Reading::Hearing::Heard);
        publisher_.tell();
        showHeld();
    } else if (now == WatchVerdict::NoWatch) {
        showNothing();
    }
}

void WatchGate::showHeld()
{
    const Held held = std::exchange(held_, {});
    // The beat rate in use stands whatever was heard meanwhile: heard again, it is shown again.
    if (held.beatRate || beatRateHidden_) {
        beatRateHidden_ = false;
        publisher_.showBeatRate();
    }
    if (held.rate)
        showRate(*held.rate, held.rateRatio, held.rateCounted);
    if (held.amplitude)
        showAmplitude(*held.amplitude);
    if (held.beatError)
        showBeatError(*held.beatError);
}

// As for silence.
void WatchGate::showNothing()
{
    held_ = {};
    publisher_.clear(Reading::kMeasures);
    if (engine_.controls().beatCounterOn) {
        publisher_.blankBeatRate();
        beatRateHidden_ = true;
    }
    publisher_.forgetRatio();
    publisher_.hearAs(Reading::Hearing::NoWatch);
    publisher_.tell();
}

void WatchGate::showRate(double secondsPerDay, double ratio, bool counted)
{
    if (counted)
        publisher_.showRate(secondsPerDay, ratio);
    else
        clearRate();
}

void WatchGate::clearRate()
{
    clearAndTell(Reading::kRate);
    publisher_.forgetRatio();
}

void WatchGate::showAmplitude(const Held::Amplitude &a)
{
    if (WatchLikeness::PossibleAmplitude(a.degrees))
        publisher_.showAmplitude(a.degrees, a.lift, engine_.controls());
    else
        clearAndTell(Reading::kAmplitude);
}

void WatchGate::showBeatError(double milliseconds)
{
    if (WatchLikeness::PossibleBeatError(milliseconds, state_.beatsPerSecond))
        publisher_.showBeatError(milliseconds,
                                 engine_.mode() == MeasuringMode::Averaging ? state_.beatsPerSecond : 0);
    else
        clearAndTell(Reading::kBeatError);
}

void WatchGate::clearAndTell(unsigned parts)
{
    publisher_.clear(parts);
    publisher_.tell();
}

void WatchGate::thresholdMisses(bool missed)
{
    publisher_.thresholdMisses(missed);
    publisher_.tell();
}

void WatchGate::hear(AveragingMeter::Hearing hearing, const AveragingMeter::Reading *reading)
{
    heard_.meterHeard(reading != nullptr, hearing);
    publisher_.hearAs(AveragedMeasures::HearingOf(hearing, reading));
    publisher_.tell();
}

void WatchGate::averaged(const AveragingMeter::Reading &r)
{
    if (engine_.controls().beatCounterOn && state_.beatsPerSecond != r.beatsPerHour / 3600) {
        state_.beatsPerSecond = r.beatsPerHour / 3600;
        beatRateCounted();
    }
    if (!state_.beatRateSet())
        return;
    const AveragedMeasures m = AveragedMeasures::Of(r, state_);
    state_.rateRatio = m.rateRatio;
    rateMeasured(m.secondsPerDay);
    beatErrorMeasured(m.beatErrorMs);
    measureAmplitude({m.amplitudeDegrees, m.liftSamples});
    averagedShown_ = true;
}

// As for silence.
void WatchGate::averagedNothing()
{
    if (!averagedShown_)
        return;
    const bool counted = engine_.controls().beatCounterOn;
    if (counted)
        state_.beatsPerSecond = 0;
    state_.rateRatio = 0;
    publisher_.withdrawAveraged(counted);
    averagedShown_ = false;
}

} // namespace tamsel
