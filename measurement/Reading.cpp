#include "measurement/Reading.h"

#include "measurement/AnalysisOutput.h"
#include "measurement/FormatPicture.h"
#include "measurement/Numbers.h"
#include "measurement/Readouts.h"

namespace tamsel {

void Reading::showBeatRate(double bps, int32_t beatUnit)
{
    changed |= kBeatRate;
    beatsPerSecond = bps;
    beatRateValid = true;
    beatRateText = tamsel::beatRateText(bps, beatUnit);
}

void Reading::blankBeatRate(int32_t beatUnit)
{
    changed |= kBeatRate;
    beatsPerSecond = 0;
    beatRateValid = false;
    beatRateText = tamsel::beatRateText(0, beatUnit);
}

void Reading::showRate(double sPerDay, double ratio)
{
    changed |= kRate;
    secondsPerDay = sPerDay;
    rateRatio = ratio;
    rateValid = true;
    rateLed = static_cast<int32_t>(RoundHalfAway(sPerDay));
    rateText = FormatPicture("0.000 sec/day", sPerDay);
}

void Reading::showBeatError(double ms, double beatsPerSecond)
{
    changed |= kBeatError;
    beatErrorMs = ms;
    beatErrorValid = true;
    // The readout holds 99.9 ms; a clock further out of beat shows dashes, and the status bar
    // the figure.
    beatErrorLed = ms < kMostBeatErrorLed ? ledNumber("00.0", ms) : "--.-";
    beatErrorText = FormatPicture("0.000 msec", ms);
    // A clock's beat error is also given as a share of its beat, as clock timers give it.
    if (0 < beatsPerSecond && beatsPerSecond < kClockBeatsPerSecond)
        beatErrorText += " (" + FormatPicture("0.0", ms * beatsPerSecond / 10) + " %)";
}

void Reading::showAmplitude(uint32_t degrees, uint32_t liftSamples, long double clockFactor,
                            const AnalysisControls &options)
{
    changed |= kAmplitude;
    amplitude = degrees;
    amplitudeValid = true;
    amplitudeText = FormatPicture("0 deg", degrees);
    // The lift time counts the nominal 44 100 samples a second, whatever the fine correction.
    const long double ms = liftSamples / (44100 * clockFactor) * 1000;
    liftMs = static_cast<double>(ms);
    liftValid = true;
    liftText =
        options.japanese && options.acMode ? "拘束時間: " + FormatPicture("0.0 msec", ms) : std::string();
}

void Reading::clear(unsigned parts)
{
    changed |= parts;
    if (parts & kRate) {
        rateValid = false;
        secondsPerDay = rateRatio = 0;
        rateLed = 0;
        rateText.clear();
    }
    if (parts & kAmplitude) {
        amplitudeValid = liftValid = false;
        amplitude = 0;
        liftMs = 0;
        amplitudeText.clear();
        liftText.clear();
    }
    if (parts & kBeatError) {
        beatErrorValid = false;
        beatErrorMs = 0;
        beatErrorLed = "00.0"; // a text readout: its value is not shown
        beatErrorText.clear();
    }
}

unsigned Reading::validMeasures() const
{
    unsigned parts = 0;
    if (rateValid)
        parts |= kRate;
    if (amplitudeValid)
        parts |= kAmplitude;
    if (beatErrorValid)
        parts |= kBeatError;
    return parts;
}

void Reading::hear(Hearing how)
{
    changed |= kHearing;
    hearing = how;
    switch (how) {
    case Hearing::NoWatch: hearingText = "No watch heard"; break;
    case Hearing::Weak: hearingText = "Weak signal: the watch is barely heard"; break;
    case Hearing::NoLift: hearingText = "No amplitude: unlocking and drop not heard apart"; break;
    case Hearing::TooSlowForAmplitude: hearingText = "No amplitude below 2 beats a second"; break;
    case Hearing::ThresholdMisses:
        hearingText = "Nothing crosses the threshold: try Option ▸ Input filter";
        break;
    default: hearingText.clear();
    }
}

} // namespace tamsel
