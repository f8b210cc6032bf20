#include "measurement/Reading.h"

#include "measurement/AnalysisOutput.h"

namespace tamsel {

void Reading::showBeatRate(double bps, int32_t beatUnit)
{
    changed |= kBeatRate;
    beatsPerSecond = bps;
    beatRateValid = true;
    this->beatUnit = beatUnit;
}

void Reading::blankBeatRate(int32_t beatUnit)
{
    changed |= kBeatRate;
    beatsPerSecond = 0;
    beatRateValid = false;
    this->beatUnit = beatUnit;
}

void Reading::showRate(double sPerDay, double ratio)
{
    changed |= kRate;
    secondsPerDay = sPerDay;
    rateRatio = ratio;
    rateValid = true;
}

void Reading::showBeatError(double ms, double beatsPerSecond)
{
    changed |= kBeatError;
    beatErrorMs = ms;
    beatErrorValid = true;
    // A clock's beat error is also given as a share of its beat, as clock timers give it.
    const bool clock = 0 < beatsPerSecond && beatsPerSecond < kClockBeatsPerSecond;
    beatErrorClockBeatsPerSecond = clock ? beatsPerSecond : 0;
}

void Reading::showAmplitude(uint32_t degrees, uint32_t liftSamples, long double clockFactor,
                            const AnalysisControls &options)
{
    changed |= kAmplitude;
    amplitude = degrees;
    amplitudeValid = true;
    this->liftSamples = liftSamples;
    // The lift time counts the nominal 44 100 samples a second, whatever the fine correction.
    liftMs = static_cast<double>(liftSamples / (44100 * clockFactor) * 1000);
    liftValid = true;
    liftTimeShown = options.japanese && options.acMode;
}

void Reading::clear(unsigned parts)
{
    changed |= parts;
    if (parts & kRate) {
        rateValid = false;
        secondsPerDay = rateRatio = 0;
    }
    if (parts & kAmplitude) {
        amplitudeValid = liftValid = false;
        amplitude = liftSamples = 0;
        liftMs = 0;
        liftTimeShown = false;
    }
    if (parts & kBeatError) {
        beatErrorValid = false;
        beatErrorMs = beatErrorClockBeatsPerSecond = 0;
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
}

} // namespace tamsel
