#pragma once
// The corrections of the measurement: the room's noise level, the sound card's true rate
// against a one-pulse-per-second time signal, and the hand steps of that rate correction.
#include <cstdint>

#include "measurement/AnalysisOutput.h"
#include "measurement/MeasurementState.h"
#include "measurement/TimeSignalFit.h"

namespace tamsel {

class Calibration {
public:
    Calibration(MeasurementState &state, AnalysisOutput &output) : state_(state), output_(output) {}

    // Sets noiseLevel to the largest sample of the first ten seconds of the sweep (as far as
    // it has been captured) plus one, and returns it. The caller then sets the threshold
    // track bar's maximum to 32 767 - noiseLevel and redraws the signal overlay.
    int32_t MeasureNoiseLevel();

    // The state part of starting the time-signal calibration: no correction, nominal
    // 44 100 samples per second, not calibrating yet. The caller then chooses the 60-second
    // view, releases the beat counter, sets beatsPerSecond to 1, chooses zoom 1, starts a new
    // sweep and only then sets timeSignalCalibrating. The corrections in force are kept to
    // come back if no time signal is heard.
    void StartTimeSignal();

    // A step of the analysis pass for every accepted pulse while calibrating; `counted`:
    // whether it added to beatCount. A new sweep starts the fit anew. Once the pulses have
    // spanned TimeSignalFit::kSeconds whole seconds, sets fineCorrection (whole samples per
    // second) and clockCorrection (the rest) and tells the output; at a sound that is no
    // time signal, puts the corrections back and tells the output so. Returns whether it ended.
    bool TimeSignalPulse(const Beat &beat, bool counted);
    // A calibration still listening when the window goes: the corrections of before it are
    // the ones to keep.
    void AbandonTimeSignal();
    // Seconds of time signal still to hear in this sweep.
    int32_t TimeSignalSecondsLeft() const { return fit_.secondsLeft(); }

    // The card's true rate, in samples per true second, set as the corrections the way a time
    // signal sets them: whole samples per second, and the rest as the clock correction.
    void SetTrueRate(long double trueRate);

    // The clock correction (s/day, to a thousandth) that makes a card of `trueRate` samples
    // per true second right when samplesPerSecond is `samplesPerSecond`.
    static double ClockCorrectionFor(long double trueRate, int32_t samplesPerSecond);
    // The whole correction in force against the nominal 44 100, in s/day: positive when the
    // card is taken to run fast.
    static double CorrectionInForce(const MeasurementState &state);

    // "Dot UP" (+1) and "Dot DOWN" (-1). A step that would leave the allowed range changes
    // nothing and answers false.
    bool StepFineCorrection(int32_t step);
    // The same with Shift: the clock correction by tenths of a second per day.
    bool StepClockCorrection(int32_t tenths);
    // No correction at all, as before any calibration; a time-signal calibration that is
    // listening and does not hear one then also leaves none.
    void ResetCorrections();

private:
    void PutCorrectionsBack(); // those in force before the time-signal calibration

    MeasurementState &state_;
    AnalysisOutput &output_;
    TimeSignalFit fit_;
    int32_t fineBefore_ = 0;
    double clockBefore_ = 0;
};

} // namespace tamsel
