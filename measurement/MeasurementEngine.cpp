#include "measurement/MeasurementEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tamsel {

MeasurementEngine::MeasurementEngine(MeasurementListener &listener)
    : listener_(listener), gate_(*this, state_, listener), analyser_(state_, gate_)
{}

MeasuringMode MeasurementEngine::mode() const
{
    return averagingAsked_ && !state_.timeSignalCalibrating ? MeasuringMode::Averaging
                                                           : MeasuringMode::Threshold;
}

void MeasurementEngine::add(std::span<const int16_t> samples, const AnalysisControls &controls)
{
    controls_ = controls;
    const bool averaging = mode() == MeasuringMode::Averaging;
    std::vector<uint16_t> magnitudes(samples.size());
    if (averaging) {
        conditioner_.condition(samples.data(), magnitudes.data(), samples.size());
    } else {
        for (size_t i = 0; i < samples.size(); ++i)
            magnitudes[i] = static_cast<uint16_t>(std::abs(int32_t{samples[i]}));
        if (autoThreshold_)
            for (uint16_t m : magnitudes)
                tracker_.add(m);
    }
    store(magnitudes.data(), magnitudes.size());
    if (!averaging) {
        lookForMissedBeats(samples);
        return;
    }
    // A rate set by hand always wins over the one heard.
    meter_.setHandRate(!controls.beatCounterOn && state_.beatRateSet() ? state_.beatsPerSecond * 3600 : 0);
    meter_.add(samples.data(), samples.size());
    showAveraged();
}

// With the input filter off, beats the threshold misses are pointed out: looked for only while
// no rate is shown, every few seconds.
void MeasurementEngine::lookForMissedBeats(std::span<const int16_t> samples)
{
    if (averagingAsked_ || state_.timeSignalCalibrating)
        return; // a time signal's pulses are no watch's
    missedBeats_.add(samples);
    if (missedBeats_.lookDue())
        gate_.thresholdMisses(!gate_.latest().rateValid && missedBeats_.look());
}

// Once the meter has heard the whole buffer: what it hears, its reading, its beats as the
// chart's marks and its templates.
void MeasurementEngine::showAveraged()
{
    gate_.hear(meter_.hearing(), meter_.hasReading() ? &meter_.reading() : nullptr);
    if (!controls_.running)
        meter_.takeBeats(); // stored, but neither drawn nor shown while the measurement stands
    else if (meter_.hasReading())
        gate_.averaged(meter_.reading());
    else if (meter_.hearing() == AveragingMeter::Hearing::NoWatch)
        gate_.averagedNothing();
    markAveragedBeats();
    if (!controls_.running)
        return;
    AveragedTemplates templates;
    templates.tick = meter_.tickTemplate().shape();
    templates.tock = meter_.tockTemplate().shape();
    if (!templates.tick.empty()) {
        templates.tickEvents = meter_.tickEvents().rises;
        templates.tockEvents = meter_.tockEvents().rises;
    }
    templates.samplesPerPoint = BandBank::kDecimation;
    listener_.templatesAveraged(templates);
}

// The meter's beats as marks on the chart, at their correlated times within the sweep.
void MeasurementEngine::markAveragedBeats()
{
    const std::vector<AveragingMeter::Beat> beats = meter_.takeBeats();
    if (!controls_.running || !state_.beatRateSet() || !meter_.hasReading())
        return;
    AnalysisOutput &output = gate_;
    // The newest sample heard is the history's last entry.
    const int64_t newest = meter_.samplesHeard() - 1;
    output.passStarted();
    for (const AveragingMeter::Beat &b : beats) {
        const int64_t index = state_.writeIndex - 1 - (newest - std::llround(b.time));
        if (index < 0 || index > state_.writeIndex)
            continue; // heard in the sweep before
        Beat beat;
        beat.peakIndex = beat.pulseEnd = beat.latePeak = beat.beatTime = static_cast<int32_t>(index);
        beat.pulseStart = static_cast<uint32_t>(index);
        beat.inStep = b.fits;
        if (state_.beatCount == 0)
            output.firstBeatOfSweep();
        ++state_.beatCount;
        output.beatMarked(beat);
    }
    output.passEnded();
}

// In runs up to the sweep's last entry; a sweep made shorter while the writing is beyond its
// end wraps after the next sample.
void MeasurementEngine::store(const uint16_t *magnitudes, size_t count)
{
    size_t next = 0;
    while (next < count) {
        const int32_t from = state_.writeIndex;
        const size_t room =
            from <= state_.samplesPerSweep ? static_cast<size_t>(state_.samplesPerSweep - from) + 1 : 1;
        const auto run = static_cast<int32_t>(std::min(room, count - next));
        std::copy_n(magnitudes + next, run, &state_.sampleHistory[from]);
        next += static_cast<size_t>(run);
        state_.writeIndex += run;
        samplesHeard_ += run;
        listener_.samplesStored(from, run);
        if (state_.writeIndex > state_.samplesPerSweep) {
            state_.writeIndex = 0;
            state_.clearSweepDetection();
            listener_.sweepEnded(sweepRecord());
        }
    }
}

void MeasurementEngine::analyse(const AnalysisControls &controls)
{
    controls_ = controls;
    if (mode() == MeasuringMode::Threshold)
        analyser_.AnalyseSamples(controls);
}

void MeasurementEngine::countBeats(const AnalysisControls &controls)
{
    controls_ = controls;
    if (mode() == MeasuringMode::Threshold)
        analyser_.CountBeats(controls);
}

std::optional<int32_t> MeasurementEngine::followedThreshold() const
{
    if (!autoThreshold_)
        return std::nullopt;
    return mode() == MeasuringMode::Averaging ? ThresholdTracker::threshold(conditioner_)
                                              : tracker_.threshold();
}

void MeasurementEngine::restartAveraging()
{
    meter_.reset();
    gate_.restartAveraging();
}

SweepRecord MeasurementEngine::sweepRecord() const
{
    SweepRecord record;
    record.beatsPerSecond = gate_.shownBeatsPerSecond();
    record.rateRatio = gate_.shownRateRatio();
    record.reading = gate_.latest();
    record.endSample = samplesHeard_;
    record.samplesPerSecond = static_cast<double>(state_.trueSamplesPerSecond());
    record.restarts = state_.restarts;
    return record;
}

void MeasurementEngine::restartConditioning()
{
    conditioner_.reset();
    missedBeats_.reset();
    tracker_.reset();
}

void MeasurementEngine::newSource()
{
    restartConditioning();
    if (controls_.beatCounterOn)
        state_.beatsPerSecond = 0; // counted again on the new sound, as at start
    gate_.newSound();
}

} // namespace tamsel
