#include "measurement/MeasurementSession.h"

#include <algorithm>

namespace tamsel {

MeasurementSession::MeasurementSession(SessionListener &listener) : listener_(listener), engine_(*this) {}

AnalysisControls MeasurementSession::controls() const
{
    AnalysisControls c;
    c.running = settings_.running;
    c.thresholdLevel = kThresholdTop - settings_.thresholdPosition;
    c.highResolution = settings_.highResolution;
    c.pulseMode = settings_.pulseMode;
    c.acMode = settings_.acMode;
    c.beatCounterOn = settings_.beatCounterOn;
    c.japanese = settings_.japanese;
    return c;
}

void MeasurementSession::restore(const StoredNumbers &numbers)
{
    MeasurementState &state = engine_.state_;
    state.noiseLevel = numbers.noiseLevel;
    state.boundaryLevel = numbers.boundaryLevel;
    state.zoom = numbers.zoom;
    state.fineCorrection = numbers.fineCorrection;
    state.beatUnit = numbers.beatUnit;
    state.rateMode = numbers.rateMode;
    state.beatErrorMode = numbers.beatErrorMode;
    state.clockCorrection = numbers.clockCorrection;
}

StoredNumbers MeasurementSession::stored() const
{
    const MeasurementState &state = engine_.state_;
    return {state.noiseLevel, state.boundaryLevel, state.zoom,          state.fineCorrection,
            state.beatUnit,   state.rateMode,      state.beatErrorMode, state.clockCorrection};
}

void MeasurementSession::start()
{
    MeasurementState &state = engine_.state_;
    if (!fineCorrectionAllowed(state.fineCorrection))
        state.fineCorrection = 0;
    state.samplesPerSecond = kNominalSampleRate + state.fineCorrection;
    state.samplesPerSweep = state.samplesPerSecond * 60;
    state.viewSeconds = 60;
    state.beatsPerSecond = 0;
    state.writeIndex = 0;
    state.clearSweepDetection();
    state.liftAngle = 52;
    state.closing = state.timeSignalCalibrating = state.rulerShown = false;
    state.rulerX = state.rulerY = 0;
    resetMeasurement();
}

void MeasurementSession::shown(std::optional<int32_t> storedThreshold)
{
    const int32_t noiseLevel = engine_.state_.noiseLevel;
    if (const int32_t lowest = kThresholdTop - 3 - noiseLevel; lowest < 100)
        moveThreshold(lowest);
    if (const int32_t maximum = kThresholdTop - 1 - noiseLevel; maximum >= 0)
        setThresholdMaximum(maximum);
    if (storedThreshold)
        moveThreshold(*storedThreshold);
    chooseZoom(engine_.state_.zoom);
}

void MeasurementSession::resetMeasurement()
{
    engine_.state_.clearSweepDetection();
    engine_.restartReadings();
    listener_.measurementReset();
}

void MeasurementSession::restart()
{
    if (!settings_.running)
        return;
    ++engine_.state_.restarts;
    resetMeasurement();
    engine_.restartAveraging();
    engine_.state_.writeIndex = 0;
    listener_.measurementRestarted();
}

void MeasurementSession::chooseView(int32_t seconds)
{
    MeasurementState &state = engine_.state_;
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    resetMeasurement();
    listener_.viewChosen(seconds);
    if (!shortView(seconds))
        analyse();
}

// A factor that is not on the menu (3, say, stored by hand) changes nothing.
void MeasurementSession::chooseZoom(int32_t factor)
{
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8)
        return;
    engine_.state_.zoom = factor;
    listener_.zoomChosen(factor);
    resetMeasurement();
    analyse();
}

void MeasurementSession::moveThreshold(int32_t position)
{
    position = std::clamp(position, 0, settings_.thresholdMaximum);
    if (position == settings_.thresholdPosition)
        return;
    settings_.thresholdPosition = position;
    listener_.thresholdChanged();
    engine_.countBeats(controls());
}

// A maximum below the track bar's minimum is ignored; one below the position lowers it.
void MeasurementSession::setThresholdMaximum(int32_t maximum)
{
    if (maximum < 0)
        return;
    settings_.thresholdMaximum = maximum;
    if (settings_.thresholdPosition > maximum) {
        moveThreshold(maximum);
        return;
    }
    listener_.thresholdChanged();
}

void MeasurementSession::measuringModeChanged()
{
    engine_.restartConditioning();
    restart();
}

void MeasurementSession::measureNoiseLevel()
{
    engine_.calibration().MeasureNoiseLevel();
    setThresholdMaximum(kThresholdTop - 1 - engine_.state_.noiseLevel);
}

void MeasurementSession::startTimeSignal()
{
    engine_.calibration().StartTimeSignal();
    chooseView(60);
    settings_.beatCounterOn = false;
    engine_.state_.beatsPerSecond = 1.0;
    listener_.timeSignalStarted();
    chooseZoom(1);
    restart();
    engine_.state_.timeSignalCalibrating = true;
    if (engine_.averagingAsked())
        measuringModeChanged(); // its pulses are timed on |s|, not through the filter
}

void MeasurementSession::newSource()
{
    restart();
    engine_.newSource();
}

void MeasurementSession::handleBuffer(std::span<const int16_t> samples)
{
    engine_.add(samples, controls());
    followThreshold();
    listener_.bufferStored();
    analyse();
    if (engine_.countingBeats())
        engine_.countBeats(controls());
}

void MeasurementSession::toggleRuler()
{
    MeasurementState &state = engine_.state_;
    state.rulerShown = !state.rulerShown;
    state.rulerX = state.rulerY = 10;
}

void MeasurementSession::analyse()
{
    engine_.analyse(controls());
    applyCalibrationEnd();
}

// Once per buffer, without counting the beats anew: the count keeps to its own seconds.
void MeasurementSession::followThreshold()
{
    const std::optional<int32_t> level = engine_.followedThreshold();
    if (!level)
        return;
    const int32_t position = std::clamp(kThresholdTop - *level, 0, settings_.thresholdMaximum);
    if (position == settings_.thresholdPosition)
        return;
    settings_.thresholdPosition = position;
    listener_.thresholdChanged();
}

// The calibration ended in the pass just returned: told, and beat detection, which timed the
// pulses, gives way to the averaging asked for.
void MeasurementSession::applyCalibrationEnd()
{
    if (!calibrationEnd_)
        return;
    const bool heard = *calibrationEnd_;
    calibrationEnd_.reset();
    listener_.timeSignalCalibrationEnded(heard);
    if (engine_.averagingAsked())
        measuringModeChanged();
}

} // namespace tamsel
