#include <gtest/gtest.h>

#include "AnalysisHarness.h"
#include "SyntheticWatch.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

class BeatAnalyserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpState(s);
        controls.thresholdLevel = 5000;
    }
    // A narrow tick peaking at `at`, falling off by `height / (width + 1)` per sample.
    void Tick(int32_t at, uint16_t height, int32_t width = 20)
    {
        for (int32_t i = -width; i <= width; ++i)
            s.sampleHistory[at + i] = static_cast<uint16_t>(height - std::abs(i) * (height / (width + 1)));
    }
    Beat CountAt(int32_t beatTime)
    {
        Beat b;
        b.beatTime = b.peakIndex = beatTime;
        analyser.CountBeat(b);
        return b;
    }

    MeasurementState s;
    RecordingOutput out;
    BeatAnalyser analyser{s, out};
    AnalysisControls controls;
};

TEST_F(BeatAnalyserTest, CountingAgainstThePeriod)
{
    s.beatsPerSecond = 5; // period 8820: in step from 7056 to 10 584 samples after the last
    struct {
        int32_t after;
        bool inStep;
        int32_t count, last;
    } cases[] = {{7055, false, 5, 100000},  {7057, true, 6, 107057},   {10583, true, 6, 110583},
                 {10585, false, 6, 108820}, {3000, false, 5, 100000},  {-9000, false, 5, 100000},
                 {17700, false, 7, 117640}, {17540, false, 7, 117640}, {26000, false, 8, 126460}};
    for (const auto &c : cases) {
        s.beatCount = 5;
        s.lastBeatIndex = 100000;
        EXPECT_EQ(CountAt(100000 + c.after).inStep, c.inStep) << c.after;
        EXPECT_EQ(s.beatCount, c.count) << c.after;
        EXPECT_EQ(s.lastBeatIndex, c.last) << c.after;
    }
    // While calibrating the window is 0.98 to 1.02 of the period.
    s.beatsPerSecond = 1;
    s.timeSignalCalibrating = true;
    s.lastBeatIndex = 0;
    EXPECT_FALSE(CountAt(43000).inStep);
    EXPECT_TRUE(CountAt(43300).inStep);
    // The first beat of a sweep opens it.
    s.beatCount = 0;
    EXPECT_TRUE(CountAt(4321).inStep);
    EXPECT_EQ(out.firstBeats, 1);
    EXPECT_EQ(s.beatCount, 1);
    EXPECT_EQ(s.intervalStart, 4321);
    EXPECT_EQ(s.lastBeatIndex, 4321);
}

TEST_F(BeatAnalyserTest, NeighbourhoodTest)
{
    s.beatCount = 1; // no first-beat confirmation
    s.writeIndex = 200000;
    s.sampleHistory[50000] = 9000;
    s.sampleHistory[50999] = s.sampleHistory[49001] = 9000; // equal values never spoil it
    s.sampleHistory[51000] = s.sampleHistory[49000] = 9001; // outside the 1000-sample look
    EXPECT_TRUE(analyser.IsBeatPeak(50000, controls));
    s.sampleHistory[50999] = 9001;
    EXPECT_FALSE(analyser.IsBeatPeak(50000, controls));
    s.sampleHistory[50999] = 0;
    s.sampleHistory[49001] = 9001;
    EXPECT_FALSE(analyser.IsBeatPeak(50000, controls));
    controls.highResolution = true;
    EXPECT_TRUE(analyser.IsBeatPeak(50000, controls));
    controls.highResolution = false;
    // Near the edges: index 0 and samples not yet written are never looked at.
    s.writeIndex = 100;
    s.sampleHistory[20] = 9000;
    s.sampleHistory[0] = s.sampleHistory[101] = 30000;
    EXPECT_TRUE(analyser.IsBeatPeak(20, controls));
    s.sampleHistory[1] = 9001;
    EXPECT_FALSE(analyser.IsBeatPeak(20, controls));
    EXPECT_FALSE(analyser.IsBeatPeak(-1, controls));
}

TEST_F(BeatAnalyserTest, FirstBeatConfirmation)
{
    s.writeIndex = 100000;
    s.sampleHistory[10000] = 9000;
    // No beat rate: a pulse must follow 5012 to 6011 samples later.
    s.sampleHistory[16012] = 6000;
    EXPECT_FALSE(analyser.IsBeatPeak(10000, controls));
    s.sampleHistory[16011] = 6000;
    s.sampleHistory[10500] = 9500; // the confirmation decides even over a larger neighbour
    EXPECT_TRUE(analyser.IsBeatPeak(10000, controls));
    // At 5 beats per second the window starts a period less 500 later.
    s.beatsPerSecond = 5;
    s.sampleHistory[10500] = 0;
    EXPECT_FALSE(analyser.IsBeatPeak(10000, controls));
    s.sampleHistory[18320] = 5000;
    EXPECT_TRUE(analyser.IsBeatPeak(10000, controls));
    // A window partly captured and empty rejects; one not captured at all leaves the verdict.
    s.sampleHistory[18320] = 0;
    s.writeIndex = 18400;
    EXPECT_FALSE(analyser.IsBeatPeak(10000, controls));
    s.writeIndex = 18319;
    EXPECT_TRUE(analyser.IsBeatPeak(10000, controls));
}

TEST_F(BeatAnalyserTest, PassLeavesHalfAPeriodForTheNextOne)
{
    s.beatsPerSecond = 5;
    EXPECT_EQ(analyser.SearchHalfWidth(), 3528);
    s.writeIndex = 60000;
    Tick(60000 - 3527, 9000);
    analyser.AnalyseSamples(controls);
    EXPECT_TRUE(out.beats.empty());
    EXPECT_EQ(s.scanIndex, 60000 - 3527); // resumes here
    s.writeIndex = 60001;
    analyser.AnalyseSamples(controls);
    ASSERT_EQ(out.beats.size(), 1u);
    EXPECT_EQ(out.beats[0].peakIndex, 60000 - 3527);
    EXPECT_EQ(s.scanIndex, 60000 - 3527 + 301);
    EXPECT_EQ(out.passes, 2);
    EXPECT_EQ(out.passEnds, 2);

    controls.running = false; // Start up: nothing at all
    s.scanIndex = 0;
    analyser.AnalyseSamples(controls);
    EXPECT_EQ(out.passes, 2);
    EXPECT_EQ(s.scanIndex, 0);
}

TEST_F(BeatAnalyserTest, PulseBoundariesAndLatePeak)
{
    s.beatsPerSecond = 5;
    s.writeIndex = 100000;
    const int32_t peak = 50000;
    s.sampleHistory[peak] = 20000;       // edge level: 1000 + 1 + 800 = 1801
    s.sampleHistory[peak - 3529] = 9000; // outside the 3528-sample window
    s.sampleHistory[peak - 400] = 1802;
    s.sampleHistory[peak - 401] = 1801; // not above the edge
    s.sampleHistory[peak + 200] = 1900;
    s.sampleHistory[peak + 120] = s.sampleHistory[peak + 150] = 5000; // equal: the later one
    Beat b;
    b.peakIndex = peak;
    analyser.FindPulseBoundaries(b);
    EXPECT_EQ(b.pulseStart, uint32_t(peak - 400));
    EXPECT_EQ(b.pulseEnd, peak + 200);
    EXPECT_EQ(b.latePeak, peak + 150);
    s.writeIndex = peak + 130; // clipped by the written samples
    analyser.FindPulseBoundaries(b);
    EXPECT_EQ(b.pulseEnd, peak + 120);
    b.peakIndex = 3; // and by the start of the sweep
    s.sampleHistory[3] = 20000;
    s.sampleHistory[0] = 5000;
    analyser.FindPulseBoundaries(b);
    EXPECT_EQ(b.pulseStart, 0u);
    EXPECT_EQ(b.latePeak, 3);
}

TEST_F(BeatAnalyserTest, PulseModeAcModeAndPlateaus)
{
    s.writeIndex = 200000;
    s.beatCount = 1;
    s.sampleHistory[9000] = 3000; // the pulse rises above the edge level here
    Tick(10000, 20000);
    controls.pulseMode = true;
    analyser.AnalyseSamples(controls);
    controls.pulseMode = false;
    controls.acMode = true;
    s.scanIndex = 0;
    analyser.AnalyseSamples(controls);
    ASSERT_EQ(out.beats.size(), 2u);
    EXPECT_EQ(out.beats[0].pulseStart, 10000u);
    EXPECT_EQ(out.beats[0].pulseEnd, 10000);
    EXPECT_FALSE(out.beats[0].inStep); // no beat rate
    EXPECT_EQ(out.beats[1].beatTime, 9000);
    EXPECT_EQ(out.beats[1].peakIndex, 10000);

    // A clipped plateau: one candidate per 301 samples at zoom 1, every sample with high
    // resolution at zoom 2.
    out.beats.clear();
    s.scanIndex = 0;
    for (int32_t i = 30000; i < 30700; ++i)
        s.sampleHistory[i] = 32768;
    analyser.AnalyseSamples(controls);
    ASSERT_EQ(out.beats.size(), 4u);
    EXPECT_EQ(out.beats[2].peakIndex, 30301);
    out.beats.clear();
    s.scanIndex = 0;
    s.zoom = 2;
    controls.highResolution = true;
    analyser.AnalyseSamples(controls);
    EXPECT_EQ(out.beats.size(), 700u + 31u); // and the 31 samples of the tick at or above 5000
}

TEST_F(BeatAnalyserTest, CountBeatsInTheFirstSecond)
{
    s.writeIndex = 50000;
    for (int k = 0; k < 5; ++k)
        Tick(2000 + k * 8820, 9000, 66); // 3 ms pulses
    analyser.CountBeats(controls);
    EXPECT_EQ(s.beatsPerSecond, 5);
    controls.thresholdLevel = 0; // below the noise
    analyser.CountBeats(controls);
    EXPECT_EQ(s.beatsPerSecond, 21);
    controls.beatCounterOn = false;
    s.beatsPerSecond = 7;
    analyser.CountBeats(controls);
    EXPECT_EQ(s.beatsPerSecond, 7);
    EXPECT_EQ(out.beatRateCounts, 2);
}

TEST_F(BeatAnalyserTest, AbsurdBeatRatesDoNotBreakThePass)
{
    FeedBuffer(s, analyser, controls, SyntheticWatch(WatchParams{}).Samples(0, 100000));
    for (double bps : {999.0, 1e-9, 1e300}) {
        s.clearSweepDetection();
        s.beatsPerSecond = bps;
        analyser.AnalyseSamples(controls);
    }
}

} // namespace
