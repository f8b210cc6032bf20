#include "measurement/PositionReadout.h"

#include <cmath>

#include "measurement/WatchLikeness.h"

namespace tamsel {

PositionReading ReadPosition(const MeasurementState &state, WatchPosition position, int64_t ratesBefore)
{
    const LatestReading &latest = state.reading;
    PositionReading r;
    r.position = position;
    r.beatsFound = latest.rates > ratesBefore;
    r.rate = latest.rate;
    r.beatError = latest.beatError;
    r.amplitudeValid = latest.amplitudeValid && WatchLikeness::PossibleAmplitude(latest.amplitude);
    r.amplitude = r.amplitudeValid ? latest.amplitude : 0;
    r.beatsPerHour = std::round(latest.beatsPerSecond * 3600);
    return r;
}

} // namespace tamsel
