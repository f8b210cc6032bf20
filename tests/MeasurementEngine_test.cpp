// The measurement without a window: a watch heard in whole capture buffers, stored, swept and
// measured by the mode it is given.
#include <gtest/gtest.h>

#include "AnalysisHarness.h"
#include "SyntheticWatch.h"
#include "measurement/MeasurementEngine.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

constexpr int kBuffer = 11024; // a quarter second, as the window captures

struct StoreLog : StoreListener {
    void samplesStored(int32_t from, int32_t count) override
    {
        runsContiguous = runsContiguous && from == expectedFrom;
        expectedFrom = from + count;
        stored += count;
    }
    void sweepEnded() override
    {
        sweepEnds.push_back(stored);
        expectedFrom = 0;
        if (onSweepEnd)
            onSweepEnd();
    }
    void averaged() override
    {
        ++averagedBuffers;
        if (onAveraged)
            onAveraged();
    }

    int64_t stored = 0;
    int32_t expectedFrom = 0;
    bool runsContiguous = true;
    std::vector<int64_t> sweepEnds; // samples stored when each sweep ended
    int averagedBuffers = 0;
    std::function<void()> onSweepEnd, onAveraged;
};

class MeasurementEngineTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpState(engine.state); }
    void Feed(const SyntheticWatch &watch, double seconds)
    {
        for (int64_t at = 0; at + kBuffer <= seconds * 44100; at += kBuffer) {
            engine.add(watch.Samples(at, kBuffer), controls.beatCounterOn);
            engine.analyse(controls);
            if (engine.countingBeats())
                engine.countBeats(controls);
        }
    }

    RecordingOutput out;
    StoreLog log;
    MeasurementEngine engine{out, log};
    AnalysisControls controls{.thresholdLevel = 8000};
};

} // namespace

TEST_F(MeasurementEngineTest, BeatDetectionMeasuresAWatchHeardInWholeBuffersAcrossTheSweepEnd)
{
    // A 5 beat/s watch gaining 12.5 s/day with a 0.4 ms beat error, over one and a half sweeps.
    const SyntheticWatch watch(WatchParams{.rateSecondsPerDay = 12.5, .beatErrorMs = 0.4, .noise = 600});
    double rateAtSweepEnd = 0;
    log.onSweepEnd = [&] { rateAtSweepEnd = out.rates.empty() ? 0 : out.rates.back(); };
    Feed(watch, 90);

    const int64_t heard = 90 * 44100 / kBuffer * kBuffer;
    EXPECT_EQ(engine.samplesHeard(), heard);
    EXPECT_EQ(log.stored, heard);
    EXPECT_TRUE(log.runsContiguous);
    ASSERT_EQ(log.sweepEnds, (std::vector<int64_t>{engine.state.samplesPerSweep + 1}))
        << "the sweep ends after its last entry, inside a buffer";
    EXPECT_EQ(engine.state.writeIndex, heard - engine.state.samplesPerSweep - 1);
    const int64_t last = heard - 1;
    EXPECT_EQ(engine.state.sampleHistory[engine.state.writeIndex - 1],
              std::abs(int32_t{watch.Samples(last, 1)[0]}));
    EXPECT_EQ(engine.state.beatsPerSecond, 5);
    // The averaged rate resolves a sample at each end of ~58 s of beats, plus the tick/tock
    // offset over an odd count of intervals.
    EXPECT_NEAR(rateAtSweepEnd, 12.5, (2 + 0.4 * 44.1) / (58 * 44100.0) * 86400);
    EXPECT_EQ(log.averagedBuffers, 0);
}

TEST_F(MeasurementEngineTest, AveragingMeasuresTheWatchAndGivesWayToATimeSignalCalibration)
{
    const SyntheticWatch watch(WatchParams{.rateSecondsPerDay = -8, .noise = 600});
    engine.setAveraging(true);
    Feed(watch, 30);
    EXPECT_EQ(log.averagedBuffers, static_cast<int>(30 * 44100 / kBuffer));
    EXPECT_TRUE(out.rates.empty()) << "beat detection stands aside";
    ASSERT_TRUE(engine.meter().hasReading());
    const double nominal = 44100 / 5.0;
    const double rate = (nominal - engine.meter().reading().beatPeriod) / nominal * 86400;
    EXPECT_NEAR(rate, -8, 0.5);

    // A time signal's pulses are timed by beat detection, whatever is asked: the calibration
    // ends on them.
    engine.calibration().StartTimeSignal();
    engine.state.beatsPerSecond = 1.0;
    engine.state.timeSignalCalibrating = true;
    engine.state.writeIndex = 0;
    engine.state.clearSweepDetection();
    controls.beatCounterOn = false;
    EXPECT_EQ(engine.mode(), MeasuringMode::Threshold);
    int averagedWhileCalibrating = 0;
    log.onAveraged = [&] { averagedWhileCalibrating += engine.state.timeSignalCalibrating; };
    Feed(SyntheticWatch(WatchParams{.beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000}), 62);
    EXPECT_EQ(averagedWhileCalibrating, 0);
    EXPECT_EQ(out.calibrationEnds, 1);
    EXPECT_FALSE(engine.state.timeSignalCalibrating);
    EXPECT_EQ(engine.mode(), MeasuringMode::Averaging);
}
