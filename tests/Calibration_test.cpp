#include <gtest/gtest.h>

#include "AnalysisHarness.h"
#include "SyntheticWatch.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

class CalibrationTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpState(s); }
    // "Time signal": the state part, then what the window does after it.
    void StartTimeSignal()
    {
        calibration.StartTimeSignal();
        s.samplesPerSweep = s.samplesPerSecond * 60;
        s.beatsPerSecond = 1.0;
        s.timeSignalCalibrating = true;
        controls.beatCounterOn = false;
    }
    // Pulses once per second of a card running at `cardRate`, first at sample 5000.
    static SyntheticWatch TimeSignal(double cardRate)
    {
        return SyntheticWatch(WatchParams{
            .beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = cardRate});
    }
    // Feeds `seconds` of a recording in capture buffers, as the window does.
    template <typename Source> void Feed(const Source &source, double seconds)
    {
        for (int64_t at = 0; at + 11024 <= seconds * 44100; at += 11024)
            FeedBuffer(s, analyser, controls, source.Samples(at, 11024));
    }

    template <typename Source> void ExpectNoTimeSignalIn(const Source &source)
    {
        s.fineCorrection = 3;
        s.samplesPerSecond = 44103;
        s.clockCorrection = 0.4;
        StartTimeSignal();
        Feed(source, 62);
        EXPECT_EQ(out.timeSignalsNotHeard, 1);
        EXPECT_EQ(out.calibrationEnds, 0);
        EXPECT_FALSE(s.timeSignalCalibrating);
        EXPECT_EQ(s.fineCorrection, 3);
        EXPECT_EQ(s.samplesPerSecond, 44103);
        EXPECT_EQ(s.clockCorrection, 0.4);
    }

    MeasurementState s;
    RecordingOutput out;
    BeatAnalyser analyser{s, out};
    Calibration &calibration = analyser.calibration(); // the one whose fit follows the pulses
    AnalysisControls controls{.thresholdLevel = 8000};
};

TEST_F(CalibrationTest, NoiseLevelFromTheFirstTenSeconds)
{
    EXPECT_EQ(calibration.MeasureNoiseLevel(), 1); // silence
    s.writeIndex = 44100;
    s.sampleHistory[300] = 212;
    s.sampleHistory[44101] = 5000; // not captured in this sweep yet
    EXPECT_EQ(calibration.MeasureNoiseLevel(), 213);
    EXPECT_EQ(32767 - s.noiseLevel, 32554); // the threshold track bar's maximum
    s.sampleHistory[44100] = 400;           // writeIndex itself is included
    EXPECT_EQ(calibration.MeasureNoiseLevel(), 401);
    s.sampleHistory[44101] = 0;
    s.writeIndex = 20 * 44100;
    s.sampleHistory[10 * 44100] = 600;
    s.sampleHistory[10 * 44100 + 1] = 9000;
    EXPECT_EQ(calibration.MeasureNoiseLevel(), 601);
}

// A card 37 ppm fast, a time signal that drops two seconds: the fit gives the whole samples
// per second and the rest as the clock correction, to far better than 0.1 s/day.
TEST_F(CalibrationTest, TimeSignalFitsTheCardToATenthOfASecondPerDay)
{
    s.fineCorrection = 7;
    StartTimeSignal();
    SyntheticWatch signal = TimeSignal(44100 * 1.000037);
    signal.Miss(29); // as a radio's time signal does
    signal.Miss(40);
    Feed(signal, 62);
    EXPECT_EQ(out.calibrationEnds, 1);
    EXPECT_EQ(s.fineCorrection, 2);
    EXPECT_EQ(s.samplesPerSecond, 44102);
    EXPECT_NEAR(s.clockCorrection, (44100 * 1.000037 / 44102 - 1) * 86400, 0.02);
    EXPECT_NEAR(Calibration::CorrectionInForce(s), 0.000037 * 86400, 0.02);
}

// A watch heard instead of a time signal, or random clicks: no calibration, and the
// corrections in force before it stay.
TEST_F(CalibrationTest, AWatchIsNoTimeSignal)
{
    // 28 800 bph at +0 s/day: every eighth tick is a pulse exactly a second after another.
    ExpectNoTimeSignalIn(SyntheticWatch(WatchParams{.beatsPerHour = 28800}));
}

TEST_F(CalibrationTest, RandomClicksAreNoTimeSignal)
{
    struct Clicks { // 2.5 a second
        std::vector<int16_t> Samples(int64_t from, int64_t count) const
        {
            std::vector<int16_t> v(static_cast<size_t>(count));
            for (int64_t i = 0; i < count; ++i) {
                uint64_t x = static_cast<uint64_t>(from + i) * 0x9E3779B97F4A7C15ull;
                x ^= x >> 29;
                x *= 0xBF58476D1CE4E5B9ull;
                v[static_cast<size_t>(i)] = (x >> 40) % 17640 == 0 ? 20000 : 0;
            }
            return v;
        }
    };
    ExpectNoTimeSignalIn(Clicks{});
}

TEST_F(CalibrationTest, FineSteps)
{
    EXPECT_TRUE(calibration.StepFineCorrection(+1));
    EXPECT_TRUE(calibration.StepFineCorrection(+1));
    EXPECT_EQ(s.samplesPerSecond, 44102);
    EXPECT_EQ(s.samplesPerSweep, 44100 * 60); // follows at the next choice of view
    s.fineCorrection = 44100;                 // the largest a 900-second sweep allows
    EXPECT_FALSE(calibration.StepFineCorrection(+1));
    EXPECT_EQ(s.fineCorrection, 44100);
    s.fineCorrection = -44099; // one sample per second
    EXPECT_FALSE(calibration.StepFineCorrection(-1));

    // A watch exactly on 18 000 beats/h, measured after two steps up.
    s.fineCorrection = 2;
    s.samplesPerSecond = 44102;
    s.samplesPerSweep = s.samplesPerSecond * 60;
    SyntheticWatch watch{WatchParams{}};
    for (int64_t at = 0; at + 11024 <= 20 * 44100; at += 11024)
        FeedBuffer(s, analyser, controls, watch.Samples(at, 11024));
    ASSERT_FALSE(out.rates.empty());
    EXPECT_NEAR(out.rates.back(), 3.918, 0.15);

    // With Shift, tenths of a second per day: 39 down takes the two whole samples back.
    for (int i = 0; i < 39; ++i)
        EXPECT_TRUE(calibration.StepClockCorrection(-1));
    EXPECT_EQ(s.clockCorrection, -3.9);
    s.clockCorrection = 499.95;
    EXPECT_FALSE(calibration.StepClockCorrection(+1)) << "beyond 500 s/day";
    s.clockCorrection = -3.9;
    out.rates.clear();
    s.writeIndex = 0;
    s.clearSweepDetection();
    for (int64_t at = 0; at + 11024 <= 20 * 44100; at += 11024)
        FeedBuffer(s, analyser, controls, watch.Samples(at, 11024));
    ASSERT_FALSE(out.rates.empty());
    EXPECT_NEAR(out.rates.back(), 3.918 - 3.9, 0.15);
}

TEST_F(CalibrationTest, TimeSignalOfACardTenSamplesFast)
{
    StartTimeSignal();
    EXPECT_EQ(s.fineCorrection, 0);
    size_t ratesBeforeEnd = 99;
    out.onCalibrationEnd = [&] { ratesBeforeEnd = out.rates.size(); };
    const SyntheticWatch signal = TimeSignal(44110);
    Feed(signal, 62);
    EXPECT_EQ(out.calibrationEnds, 1);
    EXPECT_EQ(ratesBeforeEnd, 0u); // no rate readout while calibrating
    EXPECT_EQ(s.fineCorrection, 10);
    EXPECT_EQ(s.samplesPerSecond, 44110);
    EXPECT_EQ(s.clockCorrection, 0);
    EXPECT_EQ(s.beatsPerSecond, 1.0);
}

} // namespace
