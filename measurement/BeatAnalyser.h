#pragma once
// Beat detection over the sample history: the analysis pass that finds tick pulses against
// the threshold, counts them against the nominal beat period and hands each beat to the
// measures and the chart; and the automatic beat-rate counter.
#include <cstdint>

#include "measurement/AnalysisOutput.h"
#include "measurement/Calibration.h"
#include "measurement/MeasurementState.h"
#include "measurement/Measures.h"

namespace tamsel {

class BeatAnalyser {
public:
    BeatAnalyser(MeasurementState &state, AnalysisOutput &output);

    // Scans the samples that arrived since the last pass (from scanIndex). Does nothing while
    // the Start button is up.
    void AnalyseSamples(const AnalysisControls &controls);

    // Whether the sample at `index` is the peak of a pulse (the validity test of a candidate).
    bool IsBeatPeak(int32_t index, const AnalysisControls &controls) const;

    // Sets beatsPerSecond from the pulses of the first second of the sweep (0 to 21), while
    // the beat counter switch is pressed, and tells the output.
    void CountBeats(const AnalysisControls &controls);

    // Pulse start, end and late peak around beat.peakIndex (analog mode).
    void FindPulseBoundaries(Beat &beat) const;

    // Counts a beat against the nominal period (a beat rate must be set); sets beat.inStep.
    // Returns whether beatCount changed.
    bool CountBeat(Beat &beat);

    // Samples searched on each side of a peak for the edges of its pulse; also the samples a
    // candidate needs after it before the pass looks at it.
    int64_t SearchHalfWidth() const;

    // The calibrations, whose time-signal fit follows the pulses of this pass.
    Calibration &calibration() { return calibration_; }

private:
    void HandleCandidate(int32_t index, const AnalysisControls &controls);
    int64_t LastReadable() const;

    MeasurementState &state_;
    AnalysisOutput &output_;
    Measures measures_;
    Calibration calibration_;
};

} // namespace tamsel
