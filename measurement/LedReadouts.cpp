#include "measurement/LedReadouts.h"

#include "measurement/Numbers.h"
#include "measurement/Readouts.h"

namespace tamsel {

namespace {
constexpr double kMostBeatErrorLed = 99.95; // rounds to more than the readout holds
} // namespace

void LedReadouts::show(const Reading &r)
{
    if (r.changed & Reading::kBeatRate)
        showBeatRate(r.beatsPerSecond, r.beatUnit);
    if (r.changed & Reading::kRate)
        rate = r.rateValid ? static_cast<int32_t>(RoundHalfAway(r.secondsPerDay)) : 0;
    if (r.changed & Reading::kAmplitude)
        amplitude = static_cast<int32_t>(r.amplitude);
    // The readout holds 99.9 ms; a clock further out of beat shows dashes, and the status bar
    // the figure.
    if (r.changed & Reading::kBeatError)
        beatError = !r.beatErrorValid                   ? "00.0"
                    : r.beatErrorMs < kMostBeatErrorLed ? ledNumber("00.0", r.beatErrorMs)
                                                        : "--.-";
}

void LedReadouts::showBeatRate(double beatsPerSecond, int32_t beatUnit)
{
    beatRate = beatRateText(beatsPerSecond, beatUnit);
}

void LedReadouts::showTimeSignalRate()
{
    beatRate = ledNumber("00.0", 1.0);
}

void LedReadouts::clear(unsigned parts)
{
    Reading blank;
    blank.clear(parts);
    blank.changed &= Reading::kMeasures;
    show(blank);
}

} // namespace tamsel
