#include "tools/FinalLine.h"

#include "recording/CsvLine.h"

namespace tamsel {

void LedReadouts::show(const Reading &r)
{
    if (r.changed & Reading::kBeatRate)
        beatRate = r.beatRateText;
    const unsigned valid = r.validMeasures();
    clear(r.changed & Reading::kMeasures & ~valid);
    const unsigned shown = r.changed & valid;
    if (shown & Reading::kRate)
        rate = r.rateLed;
    if (shown & Reading::kAmplitude)
        amplitude = static_cast<int32_t>(r.amplitude);
    if (shown & Reading::kBeatError)
        beatError = r.beatErrorLed;
}

void LedReadouts::clear(unsigned parts)
{
    if (parts & Reading::kRate)
        rate = 0;
    if (parts & Reading::kAmplitude)
        amplitude = 0;
    if (parts & Reading::kBeatError)
        beatError = "00.0";
}

std::string finalLine(const LedReadouts &leds, const Reading &reading, const MeasurementState &state)
{
    return "FINAL," + leds.beatRate + ',' + std::to_string(leds.rate) + ',' + leds.beatError + ',' +
           std::to_string(leds.amplitude) + ',' + withFullStop(reading.beatErrorText) + ',' +
           withFullStop(reading.amplitudeText) + ',' + withFullStop(reading.rateText) + ',' +
           std::to_string(state.fineCorrection) + ',' + std::to_string(state.samplesPerSecond) + '\n';
}

} // namespace tamsel
