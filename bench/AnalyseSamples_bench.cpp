// Real-time factor of the analysis pass: two minutes of a 5-beat/s watch in the 60-second
// view, fed in 11 024-sample capture buffers (store, then one pass per buffer).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "measurement/AnalysisOutput.h"
#include "measurement/BeatAnalyser.h"
#include "measurement/MeasurementState.h"
#include "tests/SyntheticWatch.h"

namespace {

using namespace tamsel;

// The window's work per result is not part of this measurement.
class NullOutput : public AnalysisOutput {
public:
    void passStarted() override {}
    void firstBeatOfSweep() override {}
    void rateMeasured(double) override { ++results; }
    void timeSignalCalibrationEnded() override {}
    void timeSignalNotHeard() override {}
    void amplitudeMeasured(uint32_t, bool, uint32_t) override { ++results; }
    void beatErrorMeasured(double) override { ++results; }
    void beatMarked(const Beat &) override { ++beats; }
    void passEnded() override {}
    void beatRateCounted() override {}
    long beats = 0, results = 0;
};

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Run {
    double passSeconds = 0;  // AnalyseSamples and CountBeats
    double totalSeconds = 0; // with storing the samples
    long beats = 0;
};

Run AnalyseRecording(const std::vector<int16_t> &recording)
{
    constexpr size_t kBuffer = 11024;
    MeasurementState s;
    s.samplesPerSecond = kNominalSampleRate;
    s.viewSeconds = 60;
    s.samplesPerSweep = s.samplesPerSecond * 60;
    s.liftAngle = 52;
    s.zoom = 1;
    NullOutput out;
    BeatAnalyser analyser(s, out);
    AnalysisControls controls;
    controls.thresholdLevel = 8000;
    Run run;
    const double start = CpuSeconds();
    for (size_t at = 0; at + kBuffer <= recording.size(); at += kBuffer) {
        for (size_t i = at; i < at + kBuffer; ++i) {
            s.sampleHistory[s.writeIndex] = static_cast<uint16_t>(std::abs(int32_t{recording[i]}));
            if (++s.writeIndex > s.samplesPerSweep) {
                s.writeIndex = 0;
                s.clearSweepDetection();
            }
        }
        const double passStart = CpuSeconds();
        analyser.AnalyseSamples(controls);
        if (s.samplesPerSecond <= s.writeIndex && s.writeIndex < 3 * s.samplesPerSecond)
            analyser.CountBeats(controls);
        run.passSeconds += CpuSeconds() - passStart;
    }
    run.totalSeconds = CpuSeconds() - start;
    run.beats = out.beats;
    return run;
}

} // namespace

int main()
{
    constexpr double kSeconds = 120;
    tamsel::test::WatchParams watch;
    watch.rateSecondsPerDay = 8;
    watch.beatErrorMs = 0.3;
    const std::vector<int16_t> recording =
        tamsel::test::SyntheticWatch(watch).Samples(0, static_cast<int64_t>(kSeconds * 44100));

    std::vector<Run> runs;
    for (int i = 0; i < 7; ++i)
        runs.push_back(AnalyseRecording(recording));
    std::sort(runs.begin(), runs.end(),
              [](const Run &a, const Run &b) { return a.passSeconds < b.passSeconds; });
    const Run &median = runs[runs.size() / 2];
    std::printf("AnalyseSamples: %.0f s of audio, %ld beats, median of %zu runs\n", kSeconds, median.beats,
                runs.size());
    std::printf("  passes only:        %8.2f ms CPU  %8.0fx real time\n", median.passSeconds * 1e3,
                kSeconds / median.passSeconds);
    std::printf("  store and passes:   %8.2f ms CPU  %8.0fx real time\n", median.totalSeconds * 1e3,
                kSeconds / median.totalSeconds);
    return 0;
}
