#pragma once
// The measures of a watch from its accepted beats: the rate, the beat error and the amplitude.
// Each result goes to the output at once; nothing is kept here between beats.
#include <cstdint>

#include "measurement/AnalysisOutput.h"
#include "measurement/MeasurementState.h"

namespace tamsel {

class Measures {
public:
    Measures(MeasurementState &state, AnalysisOutput &output) : state_(state), output_(output) {}

    // The rate at a beat that changed beatCount, while a beat rate is set, beatCount > 1 and
    // no time-signal calibration runs. rateMode 0 averages over the sweep, others take the
    // last two beats.
    void UpdateRate(const Beat &beat);

    // Enters an accepted beat into the beat history and measures the amplitude and the beat
    // error from it. May move beat.latePeak to the peak (the chart draws it there).
    void UpdateBeatHistory(Beat &beat, const AnalysisControls &controls);

    // Amplitude in degrees from one beat interval and the lift time (both in samples):
    // liftAngle × (1 + (interval + lift) / (4 × lift)), kept as an unsigned 32-bit number.
    static uint32_t AmplitudeDegrees(int64_t interval, uint32_t liftSamples, int32_t liftAngle);

private:
    void UpdateAverageRate();
    void UpdateTwoBeatRate(const Beat &beat);
    void MeasureAmplitude(int64_t interval, Beat &beat, const AnalysisControls &controls);
    void MeasureBeatError();

    MeasurementState &state_;
    AnalysisOutput &output_;
};

} // namespace tamsel
