#include "measurement/MeasurementEngine.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tamsel {

MeasurementEngine::MeasurementEngine(AnalysisOutput &output, StoreListener &listener)
    : listener_(listener), analyser_(state, output)
{}

MeasuringMode MeasurementEngine::mode() const
{
    return averagingAsked_ && !state.timeSignalCalibrating ? MeasuringMode::Averaging
                                                           : MeasuringMode::Threshold;
}

void MeasurementEngine::add(std::span<const int16_t> samples, bool beatCounterOn)
{
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
    if (!averaging)
        return;
    // A rate set by hand always wins over the one heard.
    meter_.setHandRate(!beatCounterOn && state.beatRateSet() ? state.beatsPerSecond * 3600 : 0);
    meter_.add(samples.data(), samples.size());
    listener_.averaged();
}

// In runs up to the sweep's last entry; a sweep made shorter while the writing is beyond its
// end wraps after the next sample.
void MeasurementEngine::store(const uint16_t *magnitudes, size_t count)
{
    size_t next = 0;
    while (next < count) {
        const int32_t from = state.writeIndex;
        const size_t room =
            from <= state.samplesPerSweep ? static_cast<size_t>(state.samplesPerSweep - from) + 1 : 1;
        const auto run = static_cast<int32_t>(std::min(room, count - next));
        std::copy_n(magnitudes + next, run, &state.sampleHistory[from]);
        next += static_cast<size_t>(run);
        state.writeIndex += run;
        samplesHeard_ += run;
        listener_.samplesStored(from, run);
        if (state.writeIndex > state.samplesPerSweep) {
            state.writeIndex = 0;
            state.clearSweepDetection();
            listener_.sweepEnded();
        }
    }
}

void MeasurementEngine::analyse(const AnalysisControls &controls)
{
    if (mode() == MeasuringMode::Threshold)
        analyser_.AnalyseSamples(controls);
}

void MeasurementEngine::countBeats(const AnalysisControls &controls)
{
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

void MeasurementEngine::restartConditioning()
{
    conditioner_.reset();
    tracker_.reset();
}

} // namespace tamsel
