#include <gtest/gtest.h>

#include "AnalysisHarness.h"
#include "SyntheticWatch.h"
#include "measurement/FormatPicture.h"
#include "measurement/Numbers.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

class MeasuresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUpState(s);
        s.beatsPerSecond = 5;
    }
    // Enters a beat with the given lift time (peak - pulse start) and late-peak lift time.
    Beat Enter(int32_t beatTime, uint32_t lift, int32_t lateLift = 0)
    {
        Beat b;
        b.beatTime = b.peakIndex = beatTime;
        b.pulseStart = static_cast<uint32_t>(beatTime) - lift;
        b.latePeak = static_cast<int32_t>(b.pulseStart) + lateLift;
        measures.UpdateBeatHistory(b, controls);
        return b;
    }
    // Rate update at a beat: a measured one at lastBeatIndex unless given.
    void Rate(int32_t beatCount, int32_t start, int32_t span)
    {
        s.beatCount = beatCount;
        s.intervalStart = start;
        s.lastBeatIndex = start + span;
        Beat b;
        b.beatTime = s.lastBeatIndex;
        b.inStep = true;
        measures.UpdateRate(b);
    }

    MeasurementState s;
    RecordingOutput out;
    Measures measures{s, out};
    AnalysisControls controls;
};

TEST_F(MeasuresTest, AveragedRateOnWholeSeconds)
{
    Rate(11, 1000, 88190);
    ASSERT_EQ(out.rates.size(), 1u);
    EXPECT_NEAR(s.rateRatio, 10.0 / 88200, 1e-18);
    EXPECT_EQ(FormatPicture("0.000", out.rates[0]), "9.796");
    EXPECT_EQ(RoundHalfAway(out.rates[0]), 10);
    EXPECT_EQ(s.intervalStart, 1000); // kept for the whole sweep
    Rate(10, 1000, 79370);            // n = 9: not a whole second of beats
    EXPECT_EQ(out.rates.size(), 1u);

    s.beatsPerSecond = 5.5; // every two seconds: n = 11, 22, 33
    for (int n = 1; n <= 33; ++n)
        Rate(n + 1, 0, static_cast<int32_t>(n * 8018.18));
    EXPECT_EQ(out.rates.size(), 4u);
}

TEST_F(MeasuresTest, TwoBeatRate)
{
    s.rateMode = 1;
    Rate(3, 5000, 17641);
    ASSERT_EQ(out.rates.size(), 1u);
    EXPECT_NEAR(s.rateRatio, 17641.0 / 17640, 1e-15);
    EXPECT_EQ(FormatPicture("0.000 sec/day", out.rates[0]), "-4.898 sec/day");
    EXPECT_EQ(s.intervalStart, 5000 + 17641);
    Rate(4, 5000, 17641); // only after every second beat
    EXPECT_EQ(out.rates.size(), 1u);

    // A span over a missed beat (four periods) gives no reading; the next span starts there.
    Rate(5, 5000, 4 * 8820 - 3);
    EXPECT_EQ(out.rates.size(), 1u);
    EXPECT_EQ(s.intervalStart, 5000 + 4 * 8820 - 3);
    // So does a late pulse counted in whole periods: the next span starts at the pulse.
    s.beatCount = 7;
    s.lastBeatIndex = s.intervalStart + 2 * 8820;
    Beat late;
    late.beatTime = s.lastBeatIndex - 6;
    measures.UpdateRate(late);
    EXPECT_EQ(out.rates.size(), 1u);
    EXPECT_EQ(s.intervalStart, late.beatTime);
}

TEST_F(MeasuresTest, Amplitude)
{
    Enter(10000, 529);
    EXPECT_TRUE(out.amplitudes.empty());               // the first beat only opens the history
    EXPECT_EQ(Enter(18820, 529, 700).latePeak, 18820); // drawn at the peak
    ASSERT_EQ(out.amplitudes.size(), 1u);
    EXPECT_EQ(out.amplitudes[0].degrees, 282u);
    EXPECT_TRUE(out.amplitudes[0].valid);
    EXPECT_EQ(out.amplitudes[0].liftSamples, 529u);

    struct {
        uint32_t lift;
        int32_t lateLift;
        int32_t interval;
        uint32_t degrees;
        bool valid;
    } cases[] = {
        {353, 529, 8820, 282, true},  // 390 at first: the late peak gives 282
        {340, 347, 8820, 395, false}, // 402, then 395: still above a full turn
        {52, 52, 1180, 360, true},    {52, 52, 1184, 361, false},
        {52, 52, -52, 52, false},     {52, 52, -48, 53, true}, // above the lift angle only
    };
    for (const auto &c : cases) {
        s.beatMark1 = 10000;
        s.beatMark2 = 0;
        Enter(10000 + c.interval, c.lift, c.lateLift);
        EXPECT_EQ(out.amplitudes.back().degrees, c.degrees) << c.lift;
        EXPECT_EQ(out.amplitudes.back().valid, c.valid) << c.lift;
    }
    // Nothing without a beat rate, in pulse mode, or without a lift time.
    const size_t shown = out.amplitudes.size();
    s.beatMark2 = 0;
    s.beatsPerSecond = 0;
    Enter(18820, 529);
    s.beatsPerSecond = 5;
    s.beatMark2 = 0;
    controls.pulseMode = true;
    Enter(18820, 529);
    controls.pulseMode = false;
    s.beatMark2 = 0;
    Enter(18820, 0);
    EXPECT_EQ(out.amplitudes.size(), shown);
}

TEST_F(MeasuresTest, BeatErrorInBothModes)
{
    s.beatErrorMode = 1; // half the difference of the last two intervals
    s.beatMark1 = 1000;
    s.beatMark2 = 1000 + 8810;
    Enter(1000 + 8810 + 8830, 529);
    ASSERT_EQ(out.beatErrors.size(), 1u);
    EXPECT_EQ(FormatPicture("00.0", out.beatErrors[0]), "00.2");
    EXPECT_EQ(FormatPicture("0.000 msec", out.beatErrors[0]), "0.227 msec");
    EXPECT_EQ(s.beatMark1, 1000 + 8810); // the history moves on
    EXPECT_EQ(s.beatMark2, 1000 + 8810 + 8830);

    s.beatErrorMode = 0; // the interval before the newest beat against the period
    s.beatMark1 = 1000;
    s.beatMark2 = 1000 + 8830;
    Enter(1000 + 8830 + 8000, 529);
    ASSERT_EQ(out.beatErrors.size(), 2u);
    EXPECT_EQ(FormatPicture("0.000 msec", out.beatErrors[1]), "0.227 msec");

    s.beatsPerSecond = 0; // mode 0 needs a beat rate, mode 1 does not
    Enter(30000, 529);
    EXPECT_EQ(out.beatErrors.size(), 2u);
    s.beatErrorMode = 1;
    Enter(38000, 529);
    EXPECT_EQ(out.beatErrors.size(), 3u);
}

// A whole 60-second sweep of a synthetic watch through the pass, fed as capture buffers.
class SyntheticSweepTest : public ::testing::Test {
protected:
    RecordingOutput Sweep(const WatchParams &p, std::vector<int64_t> missed = {})
    {
        SyntheticWatch watch(p);
        for (int64_t k : missed)
            watch.Miss(k);
        MeasurementState s;
        SetUpState(s);
        s.rateMode = rateMode;
        s.beatErrorMode = beatErrorMode;
        RecordingOutput out;
        BeatAnalyser analyser(s, out);
        for (int64_t at = 0; at + 11024 <= s.samplesPerSweep; at += 11024)
            FeedBuffer(s, analyser, controls, watch.Samples(at, 11024));
        EXPECT_EQ(s.beatsPerSecond, p.beatsPerHour / 3600);
        return out;
    }
    // The averaged rate resolves one sample at each end of ~58 s of beats, plus the
    // tick/tock offset when the count of intervals is odd.
    static double RateResolution(const WatchParams &p)
    {
        return (2 + p.beatErrorMs * 44.1) / (58 * 44100.0) * 86400;
    }

    AnalysisControls controls{.thresholdLevel = 8000};
    int32_t rateMode = 0, beatErrorMode = 0;
};

TEST_F(SyntheticSweepTest, ReadingsAgreeWithTheWatch)
{
    struct {
        double bph, rate, beatError, amplitude;
        bool acMode;
    } watches[] = {{18000, 12.5, 0, 280, false}, {21600, -7, 0.6, 300, false}, {18000, 4, 0.3, 250, true}};
    for (const auto &w : watches) {
        WatchParams p{.beatsPerHour = w.bph,
                      .rateSecondsPerDay = w.rate,
                      .beatErrorMs = w.beatError,
                      .amplitudeDegrees = w.amplitude};
        controls.acMode = w.acMode;
        for (int32_t mode : {0, 1}) {
            beatErrorMode = mode;
            const RecordingOutput out = Sweep(p);
            ASSERT_GT(out.rates.size(), 50u);
            EXPECT_NEAR(out.rates.back(), w.rate, RateResolution(p)) << w.rate;
            EXPECT_NEAR(out.beatErrors.back(), w.beatError, 0.05) << w.rate << " mode " << mode;
            EXPECT_NEAR(out.amplitudes.back().degrees, w.amplitude, 3) << w.rate;
            EXPECT_TRUE(out.amplitudes.back().valid);
        }
    }
}

TEST_F(SyntheticSweepTest, MissedBeatKeepsTheLockOnGainingAndLosingWatches)
{
    for (double rate : {25.0, -25.0}) {
        WatchParams p{.rateSecondsPerDay = rate};
        const RecordingOutput out = Sweep(p, {150});
        int inStep = 0, outOfStep = 0;
        for (const Beat &b : out.beats)
            if (b.beatTime > SyntheticWatch(p).PeakOf(151))
                ++(b.inStep ? inStep : outOfStep);
        EXPECT_GT(inStep, 100) << rate;
        EXPECT_EQ(outOfStep, 0) << rate;
        EXPECT_NEAR(out.rates.back(), rate, RateResolution(p)) << rate;
    }
    rateMode = 1; // two-beat readings stay near the rate (one sample of span is 4.9 s/day)
    for (double r : Sweep(WatchParams{.rateSecondsPerDay = 25}, {150, 201}).rates)
        EXPECT_NEAR(r, 25, 10);
}

TEST_F(SyntheticSweepTest, PulseThatAddsNoBeatLeavesTheRate)
{
    MeasurementState s;
    SetUpState(s);
    RecordingOutput out;
    BeatAnalyser analyser(s, out);
    SyntheticWatch watch(WatchParams{.rateSecondsPerDay = 3});
    for (int64_t at = 0; at < 20 * 11024; at += 11024)
        FeedBuffer(s, analyser, controls, watch.Samples(at, 11024));
    // A spurious tick right after the last beat: out of step, no beat, no rate update.
    const size_t rates = out.rates.size();
    const int32_t count = s.beatCount;
    const int32_t tick = s.lastBeatIndex + 3000;
    for (int32_t i = 0; i < 5; ++i)
        s.sampleHistory[tick + i] = static_cast<uint16_t>(30000 - i);
    s.scanIndex = tick - 10;
    s.writeIndex = tick + 3600;
    for (int32_t mode : {0, 1}) {
        s.rateMode = mode;
        analyser.AnalyseSamples(controls);
        EXPECT_EQ(out.beats.back().peakIndex, tick);
        EXPECT_FALSE(out.beats.back().inStep);
        s.scanIndex = tick - 10;
    }
    EXPECT_EQ(s.beatCount, count);
    EXPECT_EQ(out.rates.size(), rates);
}

} // namespace
