#pragma once
// The averaging meter's reading as the measures beat detection gives: rate, beat error and
// amplitude in the units of the readouts, and how the sound is heard.
#include <cstdint>

#include "measurement/Reading.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

struct MeasurementState;

struct AveragedMeasures {
    // Below this the averaging measurement gives no amplitude: 2 beats a second, a clock's.
    static constexpr double kLeastAmplitudeBeatsPerHour = 7200;

    double rateRatio = 0;
    double secondsPerDay = 0;
    double beatErrorMs = 0;
    double amplitudeDegrees = 0; // 0: none
    uint32_t liftSamples = 0;

    // At the state's beat rate, lift angle and sound card rate.
    static AveragedMeasures Of(const AveragingMeter::Reading &r, const MeasurementState &state);
    // What the status bar says of the sound; `reading` when the meter has one.
    static Reading::Hearing HearingOf(AveragingMeter::Hearing hearing,
                                      const AveragingMeter::Reading *reading);
};

} // namespace tamsel
