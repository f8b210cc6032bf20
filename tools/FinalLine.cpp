#include "tools/FinalLine.h"

#include "recording/CsvLine.h"

namespace tamsel {

std::string finalLine(const ShownReadouts &shown, const MeasurementState &state)
{
    const LedReadouts &leds = shown.leds;
    const Reading &reading = shown.reading;
    return "FINAL," + leds.beatRate + ',' + std::to_string(leds.rate) + ',' + leds.beatError + ',' +
           std::to_string(leds.amplitude) + ',' + withFullStop(reading.beatErrorText) + ',' +
           withFullStop(reading.amplitudeText) + ',' + withFullStop(reading.rateText) + ',' +
           std::to_string(state.fineCorrection) + ',' + std::to_string(state.samplesPerSecond) + '\n';
}

} // namespace tamsel
