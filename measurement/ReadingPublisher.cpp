#include "measurement/ReadingPublisher.h"

#include "measurement/MeasurementState.h"
#include "measurement/Numbers.h"

namespace tamsel {

void ReadingPublisher::restart()
{
    thresholdMisses_ = false;
    forgetAmplitude();
    hearAs(Reading::Hearing::Heard);
    tell();
}

void ReadingPublisher::showBeatRate()
{
    state_.reading.beatsPerSecond = state_.beatsPerSecond;
    shown_.showBeatRate(state_.beatsPerSecond, state_.beatUnit);
    tell();
}

void ReadingPublisher::showRate(double secondsPerDay, double ratio)
{
    ++state_.reading.rates;
    state_.reading.rate = secondsPerDay;
    state_.reading.beatsPerSecond = state_.beatsPerSecond;
    shown_.showRate(secondsPerDay, ratio);
    if (thresholdMisses_) {
        thresholdMisses_ = false;
        hearAs(heard_);
    }
    tell();
    shownRatio_ = ratio;
}

void ReadingPublisher::showAmplitude(double degrees, uint32_t liftSamples, const AnalysisControls &controls)
{
    const auto whole = static_cast<uint32_t>(Round(degrees));
    state_.reading.amplitude = whole;
    state_.reading.amplitudeValid = true;
    shown_.showAmplitude(whole, liftSamples, state_.clockFactor(), controls);
    tell();
}

void ReadingPublisher::showBeatError(double milliseconds, double clockBeatsPerSecond)
{
    state_.reading.beatError = milliseconds;
    shown_.showBeatError(milliseconds, clockBeatsPerSecond);
    tell();
}

void ReadingPublisher::withdrawAveraged(bool countedBeatRate)
{
    if (countedBeatRate)
        shown_.showBeatRate(state_.beatsPerSecond, state_.beatUnit);
    forgetAmplitude();
    state_.reading.beatsPerSecond = state_.beatsPerSecond;
    clear(Reading::kMeasures);
    tell();
}

void ReadingPublisher::blankBeatRate()
{
    shown_.blankBeatRate(state_.beatUnit);
}

void ReadingPublisher::clear(unsigned parts)
{
    shown_.clear(parts);
}

void ReadingPublisher::forgetAmplitude()
{
    state_.reading.amplitude = 0;
    state_.reading.amplitudeValid = false;
}

// Only a change of what is heard is news.
void ReadingPublisher::hearAs(Reading::Hearing hearing)
{
    heard_ = hearing;
    const Reading::Hearing said = thresholdMisses_ ? Reading::Hearing::ThresholdMisses : hearing;
    if (said != shown_.hearing)
        shown_.hear(said);
}

void ReadingPublisher::thresholdMisses(bool missed)
{
    thresholdMisses_ = missed;
    hearAs(heard_);
}

void ReadingPublisher::tell()
{
    if (shown_.changed == 0)
        return;
    listener_.readingChanged(shown_);
    shown_.changed = 0;
}

} // namespace tamsel
