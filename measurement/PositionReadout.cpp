#include "measurement/PositionReadout.h"

#include <cmath>

namespace tamsel {

PositionReading ReadPosition(const MeasurementState &state, WatchPosition position, int64_t ratesBefore)
{
    const LatestReading &latest = state.reading;
    PositionReading r;
    r.position = position;
    r.beatsFound = latest.rates > ratesBefore;
    r.rate = latest.rate;
    r.beatError = latest.beatError;
    r.amplitudeValid = latest.amplitudeValid && latest.amplitude > 0 && latest.amplitude <= 360;
    r.amplitude = r.amplitudeValid ? latest.amplitude : 0;
    r.beatsPerHour = std::round(latest.beatsPerSecond * 3600);
    return r;
}

} // namespace tamsel
