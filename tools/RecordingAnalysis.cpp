#include "tools/RecordingAnalysis.h"

#include <exception>
#include <vector>

#include "measurement/Readouts.h"

namespace tamsel {

namespace {
constexpr int32_t kNominalRate = 44100;
// The capture's buffer: a quarter second of 16-bit samples in whole four-byte blocks (11 024).
constexpr size_t kBufferSamples = kNominalRate * 2 / 4 / 4 * 4 / 2;
} // namespace

RecordingAnalysis::RecordingAnalysis(const AnalysisChoices &choices, bool drawPictures) : session_(*this)
{
    if (drawPictures)
        pictures_.emplace(session_.state());
    session_.restore(choices.stored);
    session_.setInputFilter(choices.inputFilter);
    session_.setAutoThreshold(choices.autoThreshold);
    session_.setHighResolution(choices.highResolution);
    session_.setPulseMode(choices.pulseMode);
    session_.setAcMode(choices.acMode);
    session_.start();
    session_.shown(std::nullopt);
    leds_.showBeatRate(state().beatsPerSecond, state().beatUnit);

    // What a user would set by hand, in this order, before the first buffer.
    if (choices.thresholdPosition)
        session_.moveThreshold(*choices.thresholdPosition);
    if (choices.liftAngle)
        session_.setLiftAngle(*choices.liftAngle);
    session_.chooseView(choices.viewSeconds);
    if (choices.beatsPerSecond) {
        session_.setBeatCounter(false);
        session_.setBeatsPerSecond(*choices.beatsPerSecond);
        leds_.showBeatRate(state().beatsPerSecond, state().beatUnit);
    }
    if (choices.timeSignal)
        session_.startTimeSignal();
}

void RecordingAnalysis::measurementReset()
{
    leds_.clear(Reading::kMeasures);
    lastSweep_.reset();
    if (pictures_)
        pictures_->newMeasurement(kDesignedSignalGraphSize, kDesignedChartSize);
}

// The chart's frame for the new length; a short view shows the sound, not the sweep's beats.
void RecordingAnalysis::viewChosen(int32_t seconds)
{
    drawSignalOverlay();
    if (!pictures_)
        return;
    pictures_->drawChartFrame(seconds);
    if (MeasurementSession::shortView(seconds))
        pictures_->dropTrace();
}

void RecordingAnalysis::timeSignalStarted()
{
    leds_.showTimeSignalRate();
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
        session_.handleBuffer(samples);
    } catch (const std::exception &e) {
        if (onError)
            onError(e.what());
    }
}

void RecordingAnalysis::newSource()
{
    session_.newSource();
}

void RecordingAnalysis::drawSignalOverlay()
{
    if (pictures_)
        pictures_->drawSignalOverlay(session_.settings().thresholdPosition);
}

// Beat detection draws each stored sample's bar; the averaging measurement its templates.
void RecordingAnalysis::samplesStored(int32_t from, int32_t count)
{
    if (pictures_ && engine().mode() == MeasuringMode::Threshold)
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
        pictures_->beatMarked(beat, {true, false, session_.settings().acMode});
}

void RecordingAnalysis::templatesAveraged(const AveragedTemplates &templates)
{
    if (pictures_)
        pictures_->templatesAveraged(templates);
}

ShownReadouts RecordingAnalysis::shown() const
{
    return {leds_, engine().sweepRecord()};
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
    if (onTimeSignalEnd)
        onTimeSignalEnd(heard);
}

} // namespace tamsel
