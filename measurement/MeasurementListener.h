#pragma once
// What the measurement engine gives its one view, in the order it happens: the stored
// samples, the readings, the chart's beat marks, the averaged templates, each sweep's record
// and the end of a time-signal calibration.
#include <cstdint>
#include <vector>

#include "measurement/AnalysisOutput.h"
#include "measurement/Reading.h"
#include "measurement/SweepRecord.h"

namespace tamsel {

// The averaging meter's tick and tock as they stand, for the signal graph.
struct AveragedTemplates {
    std::vector<float> tick, tock;              // equal lengths; any scale
    std::vector<double> tickEvents, tockEvents; // sub-events' positions within them
    double samplesPerPoint = 0;                 // input samples per template point
};

class MeasurementListener {
public:
    virtual ~MeasurementListener() = default;

    // History entries `from` to `from + count - 1` of the sweep hold new samples.
    virtual void samplesStored(int32_t from, int32_t count) = 0;
    // The parts of the readouts in `reading.changed` are new.
    virtual void readingChanged(const Reading &reading) = 0;
    // The chart's marks: a pass over the sweep starts, the sweep's first beat, each beat (its
    // pulse where known), the pass ends.
    virtual void passStarted() = 0;
    virtual void firstBeatOfSweep() = 0;
    virtual void beatMarked(const Beat &beat) = 0;
    virtual void passEnded() = 0;
    virtual void templatesAveraged(const AveragedTemplates &templates) = 0;
    // The sweep's last entry is stored; the next sample starts a new sweep.
    virtual void sweepEnded(const SweepRecord &sweep) = 0;
    // The time-signal calibration is over: on a time signal heard, or on none.
    virtual void timeSignalCalibrationEnded(bool heard) = 0;
};

} // namespace tamsel
