#pragma once
// The measurement without a window: the state and its sample history, the input conditioner
// and the threshold tracker, beat detection with its calibration, and the averaging meter.
// It takes whole buffers of samples. What the storing does goes to its `StoreListener`, in
// the order it happens; what the measures find goes to its `AnalysisOutput`.
#include <cstdint>
#include <optional>
#include <span>

#include "measurement/AnalysisOutput.h"
#include "measurement/BeatAnalyser.h"
#include "measurement/InputConditioner.h"
#include "measurement/MeasurementState.h"
#include "measurement/ThresholdTracker.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class StoreListener {
public:
    virtual ~StoreListener() = default;
    // History entries `from` to `from + count - 1` of the sweep hold new samples.
    virtual void samplesStored(int32_t from, int32_t count) = 0;
    // The sweep's last entry is stored; the next sample starts a new sweep.
    virtual void sweepEnded() = 0;
    // In the averaging mode, once the meter has heard the whole buffer.
    virtual void averaged() = 0;
};

class MeasurementEngine {
public:
    MeasurementEngine(AnalysisOutput &output, StoreListener &listener);

    MeasurementState state;

    // The averaging measurement (the input filter) or beat detection against the threshold:
    // a setting, given. A time-signal calibration's pulses are timed by beat detection on |s|
    // whatever is asked.
    void setAveraging(bool on) { averagingAsked_ = on; }
    bool averagingAsked() const { return averagingAsked_; }
    MeasuringMode mode() const;
    // The threshold follows the signal (followedThreshold).
    void setAutoThreshold(bool on) { autoThreshold_ = on; }

    // Stores a buffer whole, wrapping the sweep where it ends, and in the averaging mode hands
    // it to the meter. `beatCounterOn`: the beat rate is counted, not set by hand.
    void add(std::span<const int16_t> samples, bool beatCounterOn);
    // The analysis pass and the beat counter of beat detection; nothing in the averaging mode.
    void analyse(const AnalysisControls &controls);
    void countBeats(const AnalysisControls &controls);
    // The beat counter counts in the second and third seconds of a sweep.
    bool countingBeats() const
    {
        return state.samplesPerSecond <= state.writeIndex && state.writeIndex < 3 * state.samplesPerSecond;
    }
    // The automatic threshold's level, once the signal has shown it (and it is switched on).
    std::optional<int32_t> followedThreshold() const;

    // A new sound: the levels learnt from the old one would mislead.
    void restartConditioning();
    void restartThreshold() { tracker_.reset(); }
    void restartAveraging() { meter_.reset(); }

    // Samples stored since the engine was made: the position in the audio heard.
    int64_t samplesHeard() const { return samplesHeard_; }
    Calibration &calibration() { return analyser_.calibration(); }
    AveragingMeter &meter() { return meter_; }

private:
    void store(const uint16_t *magnitudes, size_t count);

    StoreListener &listener_;
    BeatAnalyser analyser_;
    InputConditioner conditioner_;
    ThresholdTracker tracker_;
    AveragingMeter meter_;
    bool averagingAsked_ = false;
    bool autoThreshold_ = false;
    int64_t samplesHeard_ = 0;
};

} // namespace tamsel
