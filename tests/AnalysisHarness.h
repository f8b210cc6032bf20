#pragma once
// Test doubles for the analysis: an output that records what the pass hands on, and a feed
// that stores capture buffers and runs the passes as the window does.
#include <cstdlib>
#include <functional>
#include <vector>

#include "measurement/BeatAnalyser.h"

namespace tamsel::test {

struct Amplitude {
    uint32_t degrees;
    bool valid;
    uint32_t liftSamples;
};

class RecordingOutput : public AnalysisOutput {
public:
    void passStarted() override { ++passes; }
    void firstBeatOfSweep() override { ++firstBeats; }
    void rateMeasured(double secondsPerDay) override { rates.push_back(secondsPerDay); }
    void timeSignalCalibrationEnded() override
    {
        ++calibrationEnds;
        if (onCalibrationEnd)
            onCalibrationEnd();
    }
    void timeSignalNotHeard() override { ++timeSignalsNotHeard; }
    void amplitudeMeasured(uint32_t a, bool valid, uint32_t lift) override
    {
        amplitudes.push_back({a, valid, lift});
    }
    void beatErrorMeasured(double ms) override { beatErrors.push_back(ms); }
    void beatMarked(const Beat &beat) override { beats.push_back(beat); }
    void passEnded() override { ++passEnds; }
    void beatRateCounted() override { ++beatRateCounts; }

    int passes = 0, passEnds = 0, firstBeats = 0, calibrationEnds = 0, timeSignalsNotHeard = 0,
        beatRateCounts = 0;
    std::vector<double> rates, beatErrors;
    std::vector<Amplitude> amplitudes;
    std::vector<Beat> beats;
    std::function<void()> onCalibrationEnd;
};

// The state as the window sets it up: 60-second view at 44 100 samples/s, no beat rate yet.
inline void SetUpState(MeasurementState &s)
{
    s.samplesPerSecond = kNominalSampleRate;
    s.viewSeconds = 60;
    s.samplesPerSweep = s.samplesPerSecond * 60;
    s.liftAngle = 52;
}

// One capture buffer as the window handles it: store the absolute values (wrapping the
// sweep), one pass, and the beat count while the sweep is in its second and third second.
inline void FeedBuffer(MeasurementState &s, BeatAnalyser &analyser, const AnalysisControls &controls,
                       const std::vector<int16_t> &samples)
{
    for (int16_t v : samples) {
        s.sampleHistory[s.writeIndex] = static_cast<uint16_t>(std::abs(int32_t{v}));
        if (++s.writeIndex > s.samplesPerSweep) {
            s.writeIndex = 0;
            s.clearSweepDetection();
        }
    }
    analyser.AnalyseSamples(controls);
    if (s.samplesPerSecond <= s.writeIndex && s.writeIndex < 3 * s.samplesPerSecond)
        analyser.CountBeats(controls);
}

} // namespace tamsel::test
