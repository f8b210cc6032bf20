#include "tools/FinalLine.h"

#include "recording/ReadingText.h"

namespace tamsel {

std::string finalLine(const ShownReadouts &shown, const MeasurementState &state)
{
    const LedReadouts &leds = shown.leds;
    const Reading &reading = shown.sweep.reading;
    return "FINAL," + leds.beatRate + ',' + std::to_string(leds.rate) + ',' + leds.beatError + ',' +
           std::to_string(leds.amplitude) + ',' + beatErrorText(reading, ".") + ',' + amplitudeText(reading) +
           ',' + rateText(reading, ".") + ',' + std::to_string(state.fineCorrection) + ',' +
           std::to_string(state.samplesPerSecond) + '\n';
}

} // namespace tamsel
