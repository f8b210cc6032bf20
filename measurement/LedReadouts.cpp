#include "measurement/LedReadouts.h"

namespace tamsel {

void LedReadouts::show(const Reading &r)
{
    if (r.changed & Reading::kBeatRate)
        beatRate = r.beatRateText;
    if (r.changed & Reading::kRate)
        rate = r.rateLed;
    if (r.changed & Reading::kAmplitude)
        amplitude = static_cast<int32_t>(r.amplitude);
    if (r.changed & Reading::kBeatError)
        beatError = r.beatErrorLed;
}

void LedReadouts::clear(unsigned parts)
{
    Reading blank;
    blank.clear(parts);
    blank.changed &= Reading::kMeasures;
    show(blank);
}

} // namespace tamsel
