#pragma once
// What beat detection reads of the controls, and where it hands each result: the engine's
// watch gate, which makes the readings of them.
#include <cstdint>

namespace tamsel {

// One accepted candidate, as handed to the measures and the chart marks.
struct Beat {
    int32_t peakIndex = 0;
    uint32_t pulseStart = 0; // unsigned 32-bit arithmetic
    int32_t pulseEnd = 0;
    int32_t latePeak = 0;
    int32_t beatTime = 0;
    bool inStep = false;
    // The pulse's start was found in quiet before it; otherwise the sound never fell to the
    // edge level within the search, and the start is only where the search began.
    bool pulseStartFound = false;
};

// Which measurement finds the beats: beat detection against the threshold on |s|, or the
// averaging measurement the input filter asks for.
enum class MeasuringMode { Threshold, Averaging };

// The controls the analysis reads, taken when a pass or a count starts.
struct AnalysisControls {
    bool running = true;         // StartButton down
    int32_t thresholdLevel = 0;  // 32 768 - TrackBar1 position
    bool highResolution = false; // Resolution "Hi" (N32) checked
    bool pulseMode = false;      // PulseMode "Yes" (NOn1) checked
    bool acMode = false;         // SpeedButton8 down
    bool beatCounterOn = true;   // autosw pressed
    bool japanese = false;       // the language rule of the window
};

class AnalysisOutput {
public:
    virtual ~AnalysisOutput() = default;

    virtual void passStarted() = 0;                      // chart: scale factors and pen width
    virtual void firstBeatOfSweep() = 0;                 // chart: start band, trace pen black
    virtual void rateMeasured(double secondsPerDay) = 0; // spd and status panel 6
    virtual void timeSignalCalibrationEnded() = 0;       // modal "Time signal calibration end."
    virtual void timeSignalNotHeard() = 0;               // the calibration ended without a time signal
    // Amplitude in degrees (unsigned 32-bit), whether it is valid, and the lift time in samples
    // of the last computation (for the lift-time text).
    virtual void amplitudeMeasured(uint32_t degrees, bool valid, uint32_t liftSamples) = 0;
    virtual void beatErrorMeasured(double milliseconds) = 0; // katatime and status panel 2
    virtual void beatMarked(const Beat &beat) = 0;           // chart marks (centre start first)
    virtual void passEnded() = 0;                            // chart composite and paint
    virtual void beatRateCounted() = 0;                      // bpss shows beatsPerSecond; ruler rebuilt
};

} // namespace tamsel
