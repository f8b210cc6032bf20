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
    // Ends the calibration with the 34th pulse `excess` samples later than 33 s at 44 100/s.
    void EndWith(int64_t excess)
    {
        s.timeSignalCalibrating = true;
        s.beatCount = 34;
        s.intervalStart = 7000;
        s.scanIndex = static_cast<int32_t>(7000 + 33 * 44100 + excess);
        EXPECT_TRUE(calibration.EndTimeSignalIfDue());
    }

    MeasurementState s;
    RecordingOutput out;
    Calibration calibration{s, out};
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

TEST_F(CalibrationTest, EndRoundsTheCorrectionAndRefusesFiveHundred)
{
    EXPECT_EQ(Calibration::CorrectionFor(-314), -10);
    EXPECT_EQ(Calibration::CorrectionFor(-313), -9);
    EndWith(16483);
    EXPECT_EQ(s.fineCorrection, 499);
    EXPECT_EQ(s.samplesPerSecond, 44599);
    EXPECT_FALSE(s.timeSignalCalibrating);
    EndWith(16484); // 500: a failed measurement, with the same message
    EXPECT_EQ(s.fineCorrection, 0);
    EXPECT_EQ(s.samplesPerSecond, 44100);
    EndWith(-314);
    EXPECT_EQ(s.samplesPerSecond, 44090);
    EXPECT_EQ(out.calibrationEnds, 3);

    for (int32_t count : {33, 35}) { // only the 34th pulse ends it
        s.timeSignalCalibrating = true;
        s.beatCount = count;
        EXPECT_FALSE(calibration.EndTimeSignalIfDue());
    }
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
    BeatAnalyser analyser(s, out);
    SyntheticWatch watch{WatchParams{}};
    for (int64_t at = 0; at + 11024 <= 20 * 44100; at += 11024)
        FeedBuffer(s, analyser, controls, watch.Samples(at, 11024));
    ASSERT_FALSE(out.rates.empty());
    EXPECT_NEAR(out.rates.back(), 3.918, 0.15);
}

TEST_F(CalibrationTest, TimeSignalOfACardTenSamplesFast)
{
    StartTimeSignal();
    EXPECT_EQ(s.fineCorrection, 0);
    BeatAnalyser analyser(s, out);
    size_t ratesBeforeEnd = 99;
    out.onCalibrationEnd = [&] { ratesBeforeEnd = out.rates.size(); };
    const SyntheticWatch signal = TimeSignal(44110);
    for (int64_t at = 0; at + 11024 <= 40 * 44100; at += 11024)
        FeedBuffer(s, analyser, controls, signal.Samples(at, 11024));
    EXPECT_EQ(out.calibrationEnds, 1);
    EXPECT_EQ(ratesBeforeEnd, 0u); // no rate readout while calibrating
    EXPECT_EQ(s.fineCorrection, 10);
    EXPECT_EQ(s.samplesPerSecond, 44110);
    EXPECT_EQ(s.beatsPerSecond, 1.0);
}

TEST_F(CalibrationTest, BuffersHandledUnderTheEndMessageAreAnalysed)
{
    StartTimeSignal();
    BeatAnalyser analyser(s, out);
    const SyntheticWatch signal = TimeSignal(44090);
    int64_t next = 0;
    auto feedNext = [&] {
        const std::vector<int16_t> buffer = signal.Samples(next, 11024);
        next += 11024;
        FeedBuffer(s, analyser, controls, buffer);
    };
    out.onCalibrationEnd = [&] { // buffers go on arriving while the message is open
        for (int i = 0; i < 12; ++i)
            feedNext();
    };
    while (next + 11024 <= 45 * 44100)
        feedNext();
    EXPECT_EQ(out.calibrationEnds, 1);
    EXPECT_EQ(s.fineCorrection, -10);
    for (int64_t k = 34; k < 44; ++k) { // every pulse after the 34th is found once
        int found = 0;
        for (const Beat &b : out.beats)
            found += b.peakIndex == signal.PeakOf(k);
        EXPECT_EQ(found, 1) << k;
    }
    EXPECT_EQ(out.passes, out.passEnds);
}

TEST_F(CalibrationTest, PassResumingAfterTheEndMessageSkipsNoSamples)
{
    StartTimeSignal();
    BeatAnalyser analyser(s, out);
    const int32_t last = 33 * 44100 + 5000;
    s.beatCount = 33;
    s.intervalStart = 5000;
    s.lastBeatIndex = s.scanIndex = last;
    s.sampleHistory[last + 44100] = 20000; // the 34th pulse
    s.writeIndex = last + 44100 + 17640;
    const int32_t nestedEnd = s.writeIndex + 11024;
    const int32_t pulse = nestedEnd - 17640 + 100; // beyond what the nested pass may look at
    s.sampleHistory[pulse] = 20000;
    out.onCalibrationEnd = [&] {
        s.writeIndex = nestedEnd;
        analyser.AnalyseSamples(controls);
    };
    analyser.AnalyseSamples(controls);
    ASSERT_EQ(out.calibrationEnds, 1);
    s.writeIndex = nestedEnd + 11024;
    analyser.AnalyseSamples(controls);
    EXPECT_EQ(out.beats.back().peakIndex, pulse);
}

} // namespace
