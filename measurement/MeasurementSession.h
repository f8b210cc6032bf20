#pragma once
// One measurement as a user takes it through its steps: start, Start again, a view, a zoom,
// the threshold moved or followed, a time signal, another source, audio lost and each buffer.
// It owns the engine and the settings it measures under, and writes each step once; the
// window and the analyzer only adapt it to a screen or to files through its listener.
//
// Nothing runs inside a buffer: what a pass decides (a time-signal calibration's end) is
// recorded while the pass runs, and applied and told once the pass has returned.
#include <cstdint>
#include <optional>
#include <span>

#include "measurement/MeasurementEngine.h"

namespace tamsel {

// What the user has chosen that the measurement is made under. The beat rate, lift angle,
// view and zoom are the state's, which the numeric core reads.
struct MeasurementSettings {
    bool running = true;               // Start down
    int32_t thresholdPosition = 15000; // the track bar's: 0 is the highest level
    int32_t thresholdMaximum = 32768;  // the lowest level the noise leaves
    bool pulseMode = false;
    bool highResolution = false;
    bool acMode = false;
    bool beatCounterOn = true;
    bool japanese = false; // the language rule
};

// The numbers kept between runs, as the settings file or the options give them.
struct StoredNumbers {
    int32_t noiseLevel = 1000;
    int32_t boundaryLevel = 15000;
    int32_t zoom = 1;
    int32_t fineCorrection = 0;
    int32_t beatUnit = 0;
    int32_t rateMode = 0;
    int32_t beatErrorMode = 0;
    double clockCorrection = 0;
};

// What the session's adapter does at each step, besides what the engine hands on.
class SessionListener : public MeasurementListener {
public:
    // A new measurement: the pictures start anew, the measures' readouts are blank.
    virtual void measurementReset() = 0;
    // Start: the measurement counts from the next sample on.
    virtual void measurementRestarted() = 0;
    // The threshold's position or its range changed.
    virtual void thresholdChanged() = 0;
    // A zoom is chosen; the measurement restarts at it next.
    virtual void zoomChosen(int32_t factor) = 0;
    // The measurement restarted at a new view length: its frame, and a short view's sound.
    virtual void viewChosen(int32_t seconds) = 0;
    // The time signal's beat rate, one a second, is set by hand.
    virtual void timeSignalStarted() = 0;
    // A buffer is stored, before it is analysed.
    virtual void bufferStored() = 0;
};

class MeasurementSession : private MeasurementListener {
public:
    static constexpr int32_t kThresholdTop = 32768; // the level at position 0
    explicit MeasurementSession(SessionListener &listener);

    const MeasurementEngine &engine() const { return engine_; }
    const MeasurementState &state() const { return engine_.state(); }
    const MeasurementSettings &settings() const { return settings_; }
    AnalysisControls controls() const;
    // A view this short shows the sound, not the sweep's beats.
    static bool shortView(int32_t seconds) { return seconds < 10; }

    // The settings, as the user changes them: each takes effect at the next step.
    void setRunning(bool on) { settings_.running = on; }
    void setPulseMode(bool on) { settings_.pulseMode = on; }
    void setHighResolution(bool on) { settings_.highResolution = on; }
    void setAcMode(bool on) { settings_.acMode = on; }
    void setBeatCounter(bool on) { settings_.beatCounterOn = on; }
    void setJapanese(bool on) { settings_.japanese = on; }
    void setInputFilter(bool on) { engine_.setAveraging(on); }
    void setAutoThreshold(bool on) { engine_.setAutoThreshold(on); }
    void restore(const StoredNumbers &numbers);
    StoredNumbers stored() const;
    void setLiftAngle(int32_t degrees) { engine_.state_.liftAngle = degrees; }
    void setBeatsPerSecond(double beatsPerSecond) { engine_.state_.beatsPerSecond = beatsPerSecond; }
    void setBeatUnit(int32_t unit) { engine_.state_.beatUnit = unit; }
    void setRateMode(int32_t mode) { engine_.state_.rateMode = mode; }
    void setBeatErrorMode(int32_t mode) { engine_.state_.beatErrorMode = mode; }

    // The steps.
    // As the window is made: the nominal rate under the stored fine correction, a minute's
    // view, no beat rate yet, the standard lift angle; a new measurement.
    void start();
    // As the window is shown: the threshold kept above the noise (and at a stored position),
    // the stored zoom.
    void shown(std::optional<int32_t> storedThreshold);
    void resetMeasurement();
    void restart();
    void chooseView(int32_t seconds);
    void chooseZoom(int32_t factor);
    // The track bar moved: the beats are counted anew at the new level.
    void moveThreshold(int32_t position);
    void setThresholdMaximum(int32_t maximum);
    // The levels the automatic threshold learnt are forgotten.
    void restartThreshold() { engine_.restartThreshold(); }
    // The input filter switched: a sweep holding both kinds of sample would measure nonsense.
    void measuringModeChanged();
    // Pulse mode measures no amplitude.
    void forgetAmplitude() { engine_.forgetAmplitude(); }
    // The noise level from the sweep's first seconds; the threshold's range follows it.
    void measureNoiseLevel();
    // Listens for a minute's pulses at one a second, on |s| whatever the mode.
    void startTimeSignal();
    // The calibration abandoned: the corrections in force before it come back.
    void abandonTimeSignal() { engine_.calibration().AbandonTimeSignal(); }
    void stepClockCorrection(int direction) { engine_.calibration().StepClockCorrection(direction); }
    void stepFineCorrection(int direction) { engine_.calibration().StepFineCorrection(direction); }
    void resetCorrections() { engine_.calibration().ResetCorrections(); }
    // The card's rate measured otherwise (against the computer's clock) set as the corrections.
    void setTrueRate(long double samplesPerSecond) { engine_.calibration().SetTrueRate(samplesPerSecond); }
    int32_t timeSignalSecondsLeft() { return engine_.calibration().TimeSignalSecondsLeft(); }
    // The capture opened another source: a new measurement from its first sample.
    void newSource();
    // Audio was lost: what came before and what comes after are not one stretch.
    void audioLost() { ++engine_.state_.restarts; }
    // One buffer, whole: stored, the threshold followed, analysed, the beats counted.
    void handleBuffer(std::span<const int16_t> samples);
    // The chart's corner: the ruler shown or hidden.
    void toggleRuler();
    // The window is closing.
    void setClosing() { engine_.state_.closing = true; }

private:
    void analyse();
    void followThreshold();
    void applyCalibrationEnd();

    void samplesStored(int32_t from, int32_t count) override { listener_.samplesStored(from, count); }
    void readingChanged(const Reading &reading) override { listener_.readingChanged(reading); }
    void passStarted() override { listener_.passStarted(); }
    void firstBeatOfSweep() override { listener_.firstBeatOfSweep(); }
    void beatMarked(const Beat &beat) override { listener_.beatMarked(beat); }
    void passEnded() override { listener_.passEnded(); }
    void templatesAveraged(const AveragedTemplates &templates) override
    {
        listener_.templatesAveraged(templates);
    }
    void sweepEnded(const SweepRecord &sweep) override { listener_.sweepEnded(sweep); }
    // Recorded only: applied once the pass has returned.
    void timeSignalCalibrationEnded(bool heard) override { calibrationEnd_ = heard; }

    friend struct MeasurementStateAccess; // tests set up states no user step reaches
    SessionListener &listener_;
    MeasurementEngine engine_;
    MeasurementSettings settings_;
    std::optional<bool> calibrationEnd_; // heard or not, while a pass runs
};

} // namespace tamsel
