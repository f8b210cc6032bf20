#pragma once
// The measurement without a window: the state and its sample history, the input conditioner
// and the threshold tracker, beat detection with its calibration, the averaging meter, and
// the watch gate both paths' measures pass to become readings. It takes whole buffers of
// samples; what it stores and finds goes to its one listener, in the order it happens.
#include <cstdint>
#include <optional>
#include <span>

#include "measurement/AnalysisOutput.h"
#include "measurement/BeatAnalyser.h"
#include "measurement/InputConditioner.h"
#include "measurement/MeasurementListener.h"
#include "measurement/MeasurementState.h"
#include "measurement/MissedBeats.h"
#include "measurement/ThresholdTracker.h"
#include "measurement/WatchGate.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class MeasurementEngine {
    // First: the analyser and the gate are made with it. The session's steps set it; the gate
    // keeps the beat rate it hears in it.
    MeasurementState state_;
    friend class MeasurementSession;
    friend struct MeasurementStateAccess; // tests set up states no user step reaches

public:
    explicit MeasurementEngine(MeasurementListener &listener);

    const MeasurementState &state() const { return state_; }

    // The averaging measurement (the input filter) or beat detection against the threshold:
    // a setting, given. A time-signal calibration's pulses are timed by beat detection on |s|
    // whatever is asked.
    void setAveraging(bool on) { averagingAsked_ = on; }
    bool averagingAsked() const { return averagingAsked_; }
    MeasuringMode mode() const;
    // The threshold follows the signal (followedThreshold).
    void setAutoThreshold(bool on) { autoThreshold_ = on; }

    // Stores a buffer whole, wrapping the sweep where it ends, and in the averaging mode hands
    // it to the meter, under the controls as they stand.
    void add(std::span<const int16_t> samples, const AnalysisControls &controls);
    // The analysis pass and the beat counter of beat detection; nothing in the averaging mode.
    void analyse(const AnalysisControls &controls);
    void countBeats(const AnalysisControls &controls);
    // The beat counter counts in the second and third seconds of a sweep.
    bool countingBeats() const
    {
        return state_.samplesPerSecond <= state_.writeIndex && state_.writeIndex < 3 * state_.samplesPerSecond;
    }
    // The automatic threshold's level, once the signal has shown it (and it is switched on).
    std::optional<int32_t> followedThreshold() const;

    // A new sound: the levels learnt from the old one would mislead.
    void restartConditioning();
    // Another source, once its new measurement has started: the readouts start empty (a beat
    // rate counted on the old sound included; one set by hand stands), with no watch heard.
    void newSource();
    void restartThreshold() { tracker_.reset(); }
    void restartAveraging();
    // A new measurement: nothing heard yet. The readouts stay as they are.
    void restartReadings() { gate_.Reset(); }
    // Pulse mode measures no amplitude: the one shown goes.
    void forgetAmplitude() { gate_.forgetAmplitude(); }

    // Samples stored since the engine was made: the position in the audio heard.
    int64_t samplesHeard() const { return samplesHeard_; }
    Calibration &calibration() { return analyser_.calibration(); }
    AveragingMeter &meter() { return meter_; }
    const AveragingMeter &meter() const { return meter_; }
    // The controls of the latest buffer, pass or count: language, modes, threshold, counter.
    const AnalysisControls &controls() const { return controls_; }
    // The readouts as they stand.
    const Reading &reading() const { return gate_.latest(); }
    // What the sweep leaves for the log and the trend: the measures as the readouts show
    // them, where it ends in the audio heard, and the card's true rate.
    SweepRecord sweepRecord() const;

private:
    void store(const uint16_t *magnitudes, size_t count);
    void lookForMissedBeats(std::span<const int16_t> samples);
    void showAveraged();
    void markAveragedBeats();

    MeasurementListener &listener_;
    AnalysisControls controls_;
    WatchGate gate_;
    BeatAnalyser analyser_;
    InputConditioner conditioner_;
    ThresholdTracker tracker_;
    AveragingMeter meter_;
    MissedBeats missedBeats_;
    bool averagingAsked_ = false;
    bool autoThreshold_ = false;
    int64_t samplesHeard_ = 0;
};

} // namespace tamsel
