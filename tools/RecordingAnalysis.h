#pragma once
// The measurement without a window: the session the window runs, set up from the same stored
// settings and command-line choices, then fed a quarter second at a time, from a recording or
// from the live capture's buffers. It adapts the session to files: LEDs kept as text, the
// pictures drawn when asked for.
#include <functional>
#include <optional>
#include <string>

#include "capture/SampleSource.h"
#include "display/SweepPictures.h"
#include "measurement/MeasurementSession.h"
#include "tools/FinalLine.h"

namespace tamsel {

// What the options choose: the stored settings first, then what a user would set by hand.
struct AnalysisChoices {
    StoredNumbers stored; // as a fresh settings file holds them, the options given over them
    bool pulseMode = false;
    bool acMode = false;
    bool highResolution = false;
    bool inputFilter = false;
    bool autoThreshold = false;
    std::optional<int32_t> thresholdPosition;
    std::optional<int32_t> liftAngle;
    std::optional<double> beatsPerSecond; // set by hand: the beat counter is off
    int32_t viewSeconds = 60;
    bool timeSignal = false;
};

class RecordingAnalysis : public SessionListener {
public:
    // With `drawPictures`, the chart and the signal graph are drawn as the window draws them,
    // at the sizes of a window of the designed size.
    explicit RecordingAnalysis(const AnalysisChoices &choices, bool drawPictures = false);

    // Each sweep's end, as the engine tells it.
    std::function<void(const SweepRecord &)> onSweepEnd;
    // The time-signal calibration is over: on a time signal heard, or on none.
    std::function<void(bool heard)> onTimeSignalEnd;
    // An error raised while a buffer was measured; the next buffer is measured all the same.
    std::function<void(const std::string &)> onError;

    // Measures the source to its end, or until `stopped` says so between two buffers.
    void run(SampleSource &source, const std::function<bool()> &stopped);
    // One buffer, whole, as the capture hands it on.
    void measure(std::span<const int16_t> samples);
    // The capture opened another source: a new measurement from its first sample.
    void newSource();
    // Audio was lost: what came before and what comes after are not one stretch.
    void audioLost() { session_.audioLost(); }
    // The card's true rate, measured otherwise, as the corrections from now on.
    void setTrueRate(long double samplesPerSecond) { session_.setTrueRate(samplesPerSecond); }

    const MeasurementEngine &engine() const { return session_.engine(); }
    const MeasurementState &state() const { return session_.state(); }
    int64_t samplesRead() const { return samplesRead_; }
    bool timeSignalHeard() const { return timeSignalHeard_; }
    // The readouts as they stand.
    ShownReadouts shown() const;
    // What the run ends on: the readouts as the last sweep of this measurement left them, so
    // that a partial sweep after it shows nothing no finished sweep showed; as they stand while
    // no sweep has ended.
    ShownReadouts finalShown() const { return lastSweep_ ? *lastSweep_ : shown(); }
    // Null unless drawn.
    const SweepPictures *pictures() const { return pictures_ ? &*pictures_ : nullptr; }

private:
    void drawSignalOverlay();

    void measurementReset() override;
    void measurementRestarted() override { drawSignalOverlay(); }
    void thresholdChanged() override { drawSignalOverlay(); }
    void zoomChosen(int32_t) override {}
    void viewChosen(int32_t seconds) override;
    void timeSignalStarted() override;
    void bufferStored() override {}

    void samplesStored(int32_t from, int32_t count) override;
    void readingChanged(const Reading &reading) override;
    void passStarted() override;
    void firstBeatOfSweep() override;
    void beatMarked(const Beat &beat) override;
    void passEnded() override {}
    void templatesAveraged(const AveragedTemplates &templates) override;
    void sweepEnded(const SweepRecord &sweep) override;
    void timeSignalCalibrationEnded(bool heard) override;

    MeasurementSession session_;
    std::optional<SweepPictures> pictures_; // the session's state drawn
    LedReadouts leds_;
    std::optional<ShownReadouts> lastSweep_; // of this measurement
    int64_t samplesRead_ = 0;
    bool timeSignalHeard_ = false;
};

} // namespace tamsel
