#pragma once
// The corrections of the measurement: the room's noise level, the sound card's true rate
// against a one-pulse-per-second time signal, and the hand steps of that rate correction.
#include <cstdint>

#include "measurement/AnalysisOutput.h"
#include "measurement/MeasurementState.h"

namespace tamsel {

class Calibration {
public:
    // The pulse that ends the time-signal calibration, counted from the first of a sweep.
    static constexpr int32_t kTimeSignalPulses = 34;
    // A correction this large or larger (about 1.1 %) is a failed measurement.
    static constexpr int32_t kCorrectionLimit = 500;

    Calibration(MeasurementState &state, AnalysisOutput &output) : state_(state), output_(output) {}

    // Sets noiseLevel to the largest sample of the first ten seconds of the sweep (as far as
    // it has been captured) plus one, and returns it. The caller then sets the threshold
    // track bar's maximum to 32 767 - noiseLevel and redraws the signal overlay.
    int32_t MeasureNoiseLevel();

    // The state part of starting the time-signal calibration: no correction, nominal
    // 44 100 samples per second, not calibrating yet. The caller then chooses the 60-second
    // view, releases the beat counter, sets beatsPerSecond to 1, chooses zoom 1, starts a new
    // sweep and only then sets timeSignalCalibrating.
    void StartTimeSignal();

    // A step of the analysis pass for an accepted pulse while calibrating with beatCount > 1:
    // at the 34th pulse it ends the calibration, sets the correction from the time since the
    // first pulse and tells the output (which shows its modal message). Returns whether it ended.
    bool EndTimeSignalIfDue();

    // The correction in samples per second for pulses that came `excess` samples later in
    // total over 33 seconds than at 44 100 per second: halves away from zero.
    static int64_t CorrectionFor(int64_t excess);

    // "Dot UP" (+1) and "Dot DOWN" (-1). A step that would leave the allowed range changes
    // nothing and answers false.
    bool StepFineCorrection(int32_t step);

private:
    MeasurementState &state_;
    AnalysisOutput &output_;
};

} // namespace tamsel
