#include "measurement/WatchGate.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "measurement/MeasurementEngine.h"
#include "measurement/Median.h"
#include "measurement/Numbers.h"
#include "measurement/StandardRates.h"

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

// Times count from when the engine began hearing, so that the pulses of two sweeps keep
// their distance.
int64_t WatchGate::sweepOrigin() const
{
    return engine_.samplesHeard() - engine_.state.writeIndex;
}

// The averaging measurement judges what it hears itself.
bool WatchGate::gated() const
{
    return engine_.mode() == MeasuringMode::Threshold;
}

// How long the pulse stays at or above the threshold: the pulse's own boundaries follow the
// noise level, so under hum, which never falls to it, they would span the whole search.
double WatchGate::widthOf(const Beat &beat) const
{
    if (beat.pulseEnd <= static_cast<int32_t>(beat.pulseStart))
        return 0; // pulse mode and the time signal measure none
    const uint16_t *h = engine_.state.sampleHistory.data();
    const int64_t threshold = engine_.controls().thresholdLevel;
    int64_t start = beat.pulseStart, end = beat.pulseEnd;
    while (start < beat.peakIndex && h[start] < threshold)
        ++start;
    while (end > beat.peakIndex && h[end] < threshold)
        --end;
    return static_cast<double>(end - start + 1);
}

bool WatchGate::showing() const
{
    return !gated() || verdict() == WatchVerdict::Watch;
}

void WatchGate::Reset()
{
    likeness_.Reset();
    pulses_.clear();
    held_ = {};
    pairSpans_.clear();
    inStepRun_ = 0;
    heardBeatsPerSecond_ = 0;
    recentBeatErrors_.clear();
    amplitudeOfThisBeat_ = false;
    thresholdMisses_ = false;
    engine_.state.reading.amplitude = 0;
    engine_.state.reading.amplitudeValid = false;
    hearAs(Reading::Hearing::Heard);
    tell();
}

void WatchGate::newSound()
{
    Reset();
    showNothing();
}

void WatchGate::forgetAmplitude()
{
    engine_.state.reading.amplitude = 0;
    engine_.state.reading.amplitudeValid = false;
    clear(Reading::kAmplitude);
    tell();
}

double WatchGate::shownBeatsPerSecond() const
{
    // A beat rate set by hand is a setting, shown whatever is heard.
    return gated() && beatRateHidden_ && engine_.controls().beatCounterOn ? 0 : engine_.state.beatsPerSecond;
}

double WatchGate::shownRateRatio() const
{
    return gated() ? shownRatio_ : engine_.state.rateRatio;
}

void WatchGate::passStarted()
{
    listener_.passStarted();
}

void WatchGate::firstBeatOfSweep()
{
    listener_.firstBeatOfSweep();
    pairSpans_.clear();
    inStepRun_ = 0;
}

void WatchGate::rateMeasured(double secondsPerDay)
{
    if (!gated()) {
        passRate(secondsPerDay, engine_.state.rateRatio);
        shownRatio_ = engine_.state.rateRatio;
        return;
    }
    // Judged against the spacing of the beats it was measured on.
    const bool counted = (engine_.state.rateMode != 0 || !spacingContradicts(engine_.state.rateRatio)) &&
                         !beyondTheCountedRate(secondsPerDay);
    if (showing()) {
        showRate(secondsPerDay, engine_.state.rateRatio, counted);
    } else {
        held_.rate = secondsPerDay;
        held_.rateRatio = engine_.state.rateRatio;
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

void WatchGate::amplitudeMeasured(uint32_t degrees, bool valid, uint32_t liftSamples)
{
    amplitudeOfThisBeat_ = true;
    const Held::Amplitude amplitude{degrees, valid, liftSamples};
    if (showing())
        showAmplitude(amplitude);
    else
        held_.amplitude = amplitude;
}

void WatchGate::beatErrorMeasured(double milliseconds)
{
    if (gated() && !steadyBeatError(milliseconds)) {
        if (showing()) {
            clear(Reading::kBeatError);
            tell();
        } else {
            held_.beatError.reset();
        }
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
    // The lift runs from the pulse's start: where no start was found, its amplitude is none.
    if (std::exchange(amplitudeOfThisBeat_, false) && !beat.pulseStartFound) {
        if (showing()) {
            clear(Reading::kAmplitude);
            tell();
        } else {
            held_.amplitude.reset();
        }
    }
    followSpacing(beat);
    pulses_.push_back({static_cast<double>(sweepOrigin() + beat.beatTime), widthOf(beat)});
    if (pulses_.size() > WatchLikeness::kPulsesJudged)
        pulses_.pop_front();
    judge();
}

void WatchGate::passEnded()
{
    listener_.passEnded();
}

void WatchGate::beatRateCounted()
{
    if (!gated()) {
        passBeatRate();
        return;
    }
    keepTheBeatRateHeard();
    held_.beatRate = true;
    judge(); // a new beat rate may decide
    if (showing())
        showHeld();
    else
        beatRateHidden_ = true;
    if (!engine_.state.beatRateSet())
        showNoMeasures();
}

// No beat rate, so nothing is measured: the measures show nothing, as for silence, rather than
// the last figures of a watch that has stopped.
void WatchGate::showNoMeasures()
{
    held_ = {};
    clear(Reading::kMeasures);
    shownRatio_ = 0;
    tell();
}

// The recent pulses as heard at a beat rate; `times` and `widths` hold what it points to.
PulseTrain WatchGate::train(double beatsPerSecond, std::vector<double> &times,
                            std::vector<double> &widths) const
{
    times.clear();
    widths.clear();
    bool widthsKnown = true;
    for (const Pulse &pulse : pulses_) {
        times.push_back(pulse.time);
        widths.push_back(pulse.width);
        widthsKnown = widthsKnown && pulse.width > 0; // pulse mode and the time signal measure none
    }
    PulseTrain train;
    train.times = times;
    if (widthsKnown)
        train.widths = widths;
    train.beatsPerSecond = beatsPerSecond;
    train.beatRateByHand = !engine_.controls().beatCounterOn;
    train.samplesPerSecond = engine_.state.samplesPerSecond;
    return train;
}

// A stray click in the second the beats are counted in makes the count too high, and the
// whole sweep would be measured at a beat rate that is not the watch's. While the pulses keep
// the beat rate of the watch heard and not the higher count, the count was the click's. (A
// count too low is left to the watch test: beats missed there are missed in the sweep too.
// Before a watch is heard nothing is corrected: the pulses then were found at no beat rate
// or another, and a lower rate they seem to keep may be a faster watch's.)
void WatchGate::keepTheBeatRateHeard()
{
    const double counted = engine_.state.beatsPerSecond;
    if (verdict() != WatchVerdict::Watch || !engine_.controls().beatCounterOn || heardBeatsPerSecond_ <= 0 ||
        counted <= heardBeatsPerSecond_)
        return;
    std::vector<double> times, widths;
    if (!likeness_.KeepsTheBeat(train(counted, times, widths)) &&
        likeness_.KeepsTheBeat(train(heardBeatsPerSecond_, times, widths)))
        engine_.state.beatsPerSecond = heardBeatsPerSecond_;
}

void WatchGate::judge()
{
    std::vector<double> times, widths;
    const WatchVerdict before = likeness_.Verdict();
    const WatchVerdict now = likeness_.Judge(train(engine_.state.beatsPerSecond, times, widths));
    if (now == WatchVerdict::Watch)
        heardBeatsPerSecond_ = engine_.state.beatsPerSecond;
    if (now == before)
        return;
    if (now == WatchVerdict::Watch) {
        hearAs(Reading::Hearing::Heard);
        tell();
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
        passBeatRate();
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
    clear(Reading::kMeasures);
    if (engine_.controls().beatCounterOn) {
        shown_.blankBeatRate(engine_.state.beatUnit);
        beatRateHidden_ = true;
    }
    shownRatio_ = 0;
    hearAs(Reading::Hearing::NoWatch);
    tell();
}

void WatchGate::showRate(double secondsPerDay, double ratio, bool counted)
{
    if (!counted) {
        clearRate();
        return;
    }
    passRate(secondsPerDay, ratio);
    shownRatio_ = ratio;
}

void WatchGate::clearRate()
{
    clear(Reading::kRate);
    tell();
    shownRatio_ = 0;
}

// Three beats in a row, each within a fifth of a period of the one before (the beat counter's
// own test), span two beats whatever the beat error.
void WatchGate::followSpacing(const Beat &beat)
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

// The averaged rate counts the beats of its whole span, through missed beats and stray
// pulses; a beat miscounted there moves it by a whole period over the span. The spans of
// consecutive beats measure the same rate on their own, to a few samples: a rate that
// disagrees with them by more was counted wrong.
bool WatchGate::spacingContradicts(double ratio) const
{
    if (pairSpans_.empty())
        return true; // not one run of three beats: nothing confirms the count
    const double twoBeats = 2 * static_cast<double>(engine_.state.trueBeatPeriod());
    const double spacingRatio = 1 - median(pairSpans_) / twoBeats;
    return std::fabs(ratio - spacingRatio) > kSpacingSamples / twoBeats;
}

// A counted beat rate is a standard one, and a watch runs within a standard rate's tolerance:
// a rate beyond it was measured at a count that is not the watch's (a watch between whole beats
// a second, a beat high or low). A rate set by hand may be any.
bool WatchGate::beyondTheCountedRate(double secondsPerDay) const
{
    return engine_.controls().beatCounterOn && std::fabs(secondsPerDay) > kStandardRateTolerance * kSecondsPerDay;
}

// Tick and tock keep their distance from even beat after beat, so each beat's beat error is
// the watch's to within the timing of its pulses; one far from the latest ones was measured on
// a stray click or a missed beat.
bool WatchGate::steadyBeatError(double milliseconds)
{
    recentBeatErrors_.push_back(milliseconds);
    if (recentBeatErrors_.size() > WatchLikeness::kPulsesJudged)
        recentBeatErrors_.pop_front();
    if (recentBeatErrors_.size() < 3)
        return true;
    const double typical = median(std::vector<double>(recentBeatErrors_.begin(), recentBeatErrors_.end()));
    return std::fabs(milliseconds - typical) <= std::max(kBeatErrorSpreadMs, typical / 4);
}

void WatchGate::showAmplitude(const Held::Amplitude &a)
{
    if (a.valid && WatchLikeness::PossibleAmplitude(a.degrees)) {
        passAmplitude(a);
        return;
    }
    clear(Reading::kAmplitude);
    tell();
}

void WatchGate::showBeatError(double milliseconds)
{
    if (WatchLikeness::PossibleBeatError(milliseconds, engine_.state.beatsPerSecond)) {
        passBeatError(milliseconds);
        return;
    }
    clear(Reading::kBeatError);
    tell();
}

void WatchGate::passRate(double secondsPerDay, double ratio)
{
    MeasurementState &state = engine_.state;
    ++state.reading.rates;
    state.reading.rate = secondsPerDay;
    state.reading.beatsPerSecond = state.beatsPerSecond;
    shown_.showRate(secondsPerDay, ratio);
    if (thresholdMisses_) {
        thresholdMisses_ = false;
        hearAs(heard_);
    }
    tell();
}

void WatchGate::passAmplitude(const Held::Amplitude &a)
{
    MeasurementState &state = engine_.state;
    state.reading.amplitude = a.degrees;
    state.reading.amplitudeValid = a.valid;
    shown_.showAmplitude(a.degrees, a.lift, state.clockFactor(), engine_.controls());
    tell();
}

void WatchGate::passBeatError(double milliseconds)
{
    engine_.state.reading.beatError = milliseconds;
    shown_.showBeatError(milliseconds,
                         engine_.mode() == MeasuringMode::Averaging ? engine_.state.beatsPerSecond : 0);
    tell();
}

void WatchGate::passBeatRate()
{
    MeasurementState &state = engine_.state;
    state.reading.beatsPerSecond = state.beatsPerSecond;
    shown_.showBeatRate(state.beatsPerSecond, state.beatUnit);
    tell();
}

void WatchGate::clear(unsigned parts)
{
    shown_.clear(parts);
}

// Only a change of what is heard is news.
void WatchGate::hearAs(Reading::Hearing hearing)
{
    heard_ = hearing;
    const Reading::Hearing said = thresholdMisses_ ? Reading::Hearing::ThresholdMisses : hearing;
    if (said != shown_.hearing)
        shown_.hear(said);
}

void WatchGate::thresholdMisses(bool missed)
{
    thresholdMisses_ = missed;
    hearAs(heard_);
    tell();
}

void WatchGate::tell()
{
    if (shown_.changed == 0)
        return;
    listener_.readingChanged(shown_);
    shown_.changed = 0;
}

void WatchGate::hear(AveragingMeter::Hearing hearing, const AveragingMeter::Reading *reading)
{
    switch (hearing) {
    case AveragingMeter::Hearing::NoWatch: hearAs(Reading::Hearing::NoWatch); break;
    case AveragingMeter::Hearing::Weak: hearAs(Reading::Hearing::Weak); break;
    default:
        // Beats placed, but no amplitude: the status bar says why.
        if (reading && reading->beatsPerHour < kLeastAmplitudeBeatsPerHour)
            hearAs(Reading::Hearing::TooSlowForAmplitude);
        else if (reading && reading->lift <= 0)
            hearAs(Reading::Hearing::NoLift);
        else
            hearAs(Reading::Hearing::Heard);
    }
    tell();
}

void WatchGate::averaged(const AveragingMeter::Reading &r)
{
    MeasurementState &state = engine_.state;
    if (engine_.controls().beatCounterOn && state.beatsPerSecond != r.beatsPerHour / 3600) {
        state.beatsPerSecond = r.beatsPerHour / 3600;
        beatRateCounted();
    }
    if (!state.beatRateSet())
        return;
    // Samples become time by the sound card's true rate (the clock correction).
    const long double secondsPerSample = 1.0L / state.trueSamplesPerSecond();
    const long double nominal = state.trueBeatPeriod();
    const long double ratio = (nominal - r.beatPeriod) / nominal;
    state.rateRatio = static_cast<double>(ratio);
    rateMeasured(static_cast<double>(ratio * kSecondsPerDay));
    beatErrorMeasured(static_cast<double>(r.beatError * secondsPerSample * 1000));
    // The balance's own motion gives the amplitude here: the lift is measured from the
    // unlocking to the drop, not from a pulse's shape. A pendulum's lift angle is a few degrees,
    // below what the setting takes: a clock's amplitude is not given.
    const double degrees =
        r.beatsPerHour < kLeastAmplitudeBeatsPerHour ? 0 : AveragingMeter::amplitude(state.liftAngle, r);
    const auto shown = static_cast<uint32_t>(Round(std::min(degrees, 1e6)));
    amplitudeMeasured(shown, state.liftAngle < degrees && degrees <= 360,
                      static_cast<uint32_t>(Round(r.lift)));
    averagedShown_ = true;
}

// As for silence.
void WatchGate::averagedNothing()
{
    if (!averagedShown_)
        return;
    MeasurementState &state = engine_.state;
    if (engine_.controls().beatCounterOn) {
        state.beatsPerSecond = 0;
        shown_.showBeatRate(0, state.beatUnit);
    }
    state.rateRatio = 0;
    state.reading.amplitude = 0;
    state.reading.amplitudeValid = false;
    state.reading.beatsPerSecond = state.beatsPerSecond;
    clear(Reading::kMeasures);
    tell();
    averagedShown_ = false;
}

} // namespace tamsel
