#include "tools/RecordingAnalysis.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "measurement/Readouts.h"

namespace tamsel {

namespace {
constexpr int32_t kNominalRate = 44100;
// The capture's buffer: a quarter second of 16-bit samples in whole four-byte blocks (11 024).
constexpr size_t kBufferSamples = kNominalRate * 2 / 4 / 4 * 4 / 2;
constexpr int32_t kThresholdTop = 32768; // the track bar's range, position 0 the highest level
} // namespace

RecordingAnalysis::RecordingAnalysis(const AnalysisChoices &choices, bool drawPictures) : engine_(*this)
{
    MeasurementState &state = engine_.state;
    if (drawPictures)
        pictures_.emplace(state);
    // The stored settings.
    state.noiseLevel = choices.noiseLevel;
    state.zoom = choices.zoom;
    state.fineCorrection = choices.fineCorrection;
    state.rateMode = choices.rateMode;
    state.beatErrorMode = choices.beatErrorMode;
    state.clockCorrection = choices.clockCorrection;
    engine_.setAveraging(choices.inputFilter);
    engine_.setAutoThreshold(choices.autoThreshold);
    controls_.highResolution = choices.highResolution;
    controls_.pulseMode = choices.pulseMode;
    controls_.acMode = choices.acMode;

    // The state the window starts from.
    if (!fineCorrectionAllowed(state.fineCorrection))
        state.fineCorrection = 0;
    state.samplesPerSecond = kNominalRate + state.fineCorrection;
    state.samplesPerSweep = state.samplesPerSecond * 60;
    state.viewSeconds = 60;
    state.traceOrigin = 5020;
    state.liftAngle = 52;
    resetMeasurement(); // at start, and as each of the two panes takes its size
    resetMeasurement();
    resetMeasurement();

    // As the window is shown: the threshold kept above the noise, the stored zoom.
    if (const int32_t lowest = kThresholdTop - 3 - state.noiseLevel; lowest < 100)
        moveThreshold(lowest);
    if (const int32_t maximum = kThresholdTop - 1 - state.noiseLevel; maximum >= 0) {
        thresholdMaximum_ = maximum;
        moveThreshold(thresholdPosition_);
    }
    if (state.zoom == 1 || state.zoom == 2 || state.zoom == 4 || state.zoom == 8)
        chooseZoom(state.zoom);
    leds_.showBeatRate(state.beatsPerSecond, state.beatUnit);

    // What a user would set by hand, in this order, before the first buffer.
    if (choices.thresholdPosition)
        moveThreshold(*choices.thresholdPosition);
    if (choices.liftAngle)
        state.liftAngle = *choices.liftAngle;
    chooseView(choices.viewSeconds);
    if (choices.beatsPerSecond) {
        controls_.beatCounterOn = false;
        state.beatsPerSecond = *choices.beatsPerSecond;
        leds_.showBeatRate(state.beatsPerSecond, state.beatUnit);
    }
    if (choices.timeSignal)
        startTimeSignal();
}

AnalysisControls RecordingAnalysis::controls() const
{
    AnalysisControls c = controls_;
    c.thresholdLevel = kThresholdTop - thresholdPosition_;
    return c;
}

// The track bar moved: the beats are counted anew at the new level.
void RecordingAnalysis::moveThreshold(int32_t position)
{
    position = std::clamp(position, 0, thresholdMaximum_);
    if (position == thresholdPosition_)
        return;
    thresholdPosition_ = position;
    drawSignalOverlay();
    engine_.countBeats(controls());
}

void RecordingAnalysis::resetMeasurement()
{
    engine_.state.clearSweepDetection();
    engine_.restartReadings();
    leds_.clear(Reading::kMeasures);
    lastSweep_.reset();
    controls_.running = true;
    if (pictures_)
        pictures_->newMeasurement(kDesignedSignalGraphSize, kDesignedChartSize);
}

void RecordingAnalysis::chooseView(int32_t seconds)
{
    MeasurementState &state = engine_.state;
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    resetMeasurement();
    drawSignalOverlay();
    if (pictures_)
        pictures_->drawChartFrame(seconds);
    if (seconds >= 10) // a short view shows the sound, not the sweep's beats
        engine_.analyse(controls());
    else if (pictures_)
        pictures_->dropTrace();
}

void RecordingAnalysis::chooseZoom(int32_t factor)
{
    engine_.state.zoom = factor;
    resetMeasurement();
    engine_.analyse(controls());
}

// The calibration listens for a minute's pulses at one a second, on |s| whatever the mode.
void RecordingAnalysis::startTimeSignal()
{
    MeasurementState &state = engine_.state;
    engine_.calibration().StartTimeSignal();
    chooseView(60);
    controls_.beatCounterOn = false;
    state.beatsPerSecond = 1.0;
    leds_.showTimeSignalRate();
    chooseZoom(1);
    restartMeasurement();
    state.timeSignalCalibrating = true;
    if (engine_.averagingAsked()) {
        engine_.restartConditioning();
        restartMeasurement();
    }
}

// Start: a new measurement from the next sample on.
void RecordingAnalysis::restartMeasurement()
{
    ++engine_.state.restarts;
    resetMeasurement();
    engine_.restartAveraging();
    engine_.state.writeIndex = 0;
    drawSignalOverlay();
}

void RecordingAnalysis::run(SampleSource &source, const std::function<bool()> &stopped)
{
    std::vector<int16_t> buffer(kBufferSamples);
    for (;;) {
        const size_t count = source.read(buffer.data(), buffer.size());
        if (count == 0)
            return;
        measure({buffer.data(), count});
        if (count < buffer.size() || stopped())
            return;
    }
}

void RecordingAnalysis::measure(std::span<const int16_t> samples)
{
    samplesRead_ += static_cast<int64_t>(samples.size());
    try {
        measureBuffer(samples);
    } catch (const std::exception &e) {
        if (onError)
            onError(e.what());
    }
}

void RecordingAnalysis::newSource()
{
    engine_.restartConditioning();
    restartMeasurement();
}

void RecordingAnalysis::measureBuffer(std::span<const int16_t> samples)
{
    engine_.add(samples, controls());
    followThreshold();
    engine_.analyse(controls());
    if (engine_.countingBeats())
        engine_.countBeats(controls());
}

// Once per buffer, without counting the beats anew: the count keeps to its own seconds.
void RecordingAnalysis::followThreshold()
{
    const std::optional<int32_t> level = engine_.followedThreshold();
    if (!level)
        return;
    const int32_t position = std::clamp(kThresholdTop - *level, 0, thresholdMaximum_);
    if (position == thresholdPosition_)
        return;
    thresholdPosition_ = position;
    drawSignalOverlay();
}

void RecordingAnalysis::drawSignalOverlay()
{
    if (pictures_)
        pictures_->drawSignalOverlay(thresholdPosition_);
}

// Beat detection draws each stored sample's bar; the averaging measurement its templates.
void RecordingAnalysis::samplesStored(int32_t from, int32_t count)
{
    if (pictures_ && engine_.mode() == MeasuringMode::Threshold)
        pictures_->drawSampleBars(from, count);
}

void RecordingAnalysis::readingChanged(const Reading &reading)
{
    leds_.show(reading);
    if (pictures_ && (reading.changed & Reading::kBeatRate) && reading.beatRateValid)
        pictures_->drawRuler();
}

void RecordingAnalysis::passStarted()
{
    if (pictures_)
        pictures_->passStarted();
}

void RecordingAnalysis::firstBeatOfSweep()
{
    if (pictures_)
        pictures_->firstBeatOfSweep();
}

// Centre start and graph colour at their defaults, as the analyzer offers neither.
void RecordingAnalysis::beatMarked(const Beat &beat)
{
    if (pictures_)
        pictures_->beatMarked(beat, {true, false, controls_.acMode});
}

void RecordingAnalysis::templatesAveraged(const AveragedTemplates &templates)
{
    if (pictures_)
        pictures_->templatesAveraged(templates);
}

ShownReadouts RecordingAnalysis::shown() const
{
    return {leds_, engine_.sweepRecord()};
}

void RecordingAnalysis::sweepEnded(const SweepRecord &sweep)
{
    lastSweep_ = ShownReadouts{leds_, sweep};
    if (onSweepEnd)
        onSweepEnd(sweep);
}

void RecordingAnalysis::timeSignalCalibrationEnded(bool heard)
{
    timeSignalHeard_ = heard;
    if (engine_.averagingAsked()) { // beat detection timed the pulses: back to averaging
        engine_.restartConditioning();
        restartMeasurement();
    }
    if (onTimeSignalEnd)
        onTimeSignalEnd(heard);
}

} // namespace tamsel
