// The session without a window or an analyzer: its steps on a watch heard in capture buffers,
// told to a listener that keeps what it hears, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SyntheticWatch.h"
#include "measurement/MeasurementSession.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

constexpr int kBuffer = 11024; // a quarter second, as the window captures

struct SessionLog : SessionListener {
    void measurementReset() override { steps.push_back("reset"); }
    void measurementRestarted() override { steps.push_back("restarted"); }
    void thresholdChanged() override { steps.push_back("threshold"); }
    void zoomChosen(int32_t factor) override { steps.push_back("zoom " + std::to_string(factor)); }
    void viewChosen(int32_t seconds) override { steps.push_back("view " + std::to_string(seconds)); }
    void timeSignalStarted() override { steps.push_back("time signal"); }
    void bufferStored() override {}
    void samplesStored(int32_t, int32_t) override {}
    void readingChanged(const Reading &reading) override { latest = reading; }
    void passStarted() override { ++passesOpen; }
    void firstBeatOfSweep() override {}
    void beatMarked(const Beat &) override {}
    void passEnded() override { --passesOpen; }
    void templatesAveraged(const AveragedTemplates &) override {}
    void sweepEnded(const SweepRecord &sweep) override { sweeps.push_back(sweep); }
    void timeSignalCalibrationEnded(bool heard) override
    {
        steps.push_back(heard ? "calibrated" : "no time signal");
        endedInsideAPass = passesOpen != 0;
        calibratingAtEnd = session->state().timeSignalCalibrating;
    }

    const MeasurementSession *session = nullptr;
    std::vector<std::string> steps;
    Reading latest;
    std::vector<SweepRecord> sweeps;
    int passesOpen = 0;
    bool endedInsideAPass = true, calibratingAtEnd = true;
};

class MeasurementSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log.session = &session;
        session.start();
        session.shown(std::nullopt);
        log.steps.clear();
    }
    void Feed(const SyntheticWatch &sound, double seconds)
    {
        for (const int64_t end = position + static_cast<int64_t>(seconds * 44100); position < end;
             position += kBuffer)
            session.handleBuffer(sound.Samples(position, kBuffer));
    }

    SessionLog log;
    MeasurementSession session{log};
    int64_t position = 0;
};

// As the window is made and shown: a minute's view at the nominal rate, the threshold kept
// above the noise, no beat rate until the counter has heard the watch; then the watch read.
TEST_F(MeasurementSessionTest, StartsAsTheWindowDoesAndReadsAWatch)
{
    EXPECT_EQ(session.state().samplesPerSecond, 44100);
    EXPECT_EQ(session.state().viewSeconds, 60);
    EXPECT_EQ(session.settings().thresholdMaximum, 32767 - 1000);
    EXPECT_EQ(session.controls().thresholdLevel, 32768 - 15000);
    EXPECT_FALSE(session.state().beatRateSet());

    session.chooseView(10);
    EXPECT_EQ(log.steps, (std::vector<std::string>{"reset", "view 10"}));
    const SyntheticWatch watch(WatchParams{.beatsPerHour = 21600, .rateSecondsPerDay = 6});
    Feed(watch, 21);
    EXPECT_EQ(session.state().beatsPerSecond, 6);
    ASSERT_EQ(log.sweeps.size(), 2u);
    ASSERT_TRUE(log.sweeps[1].reading.rateValid);
    EXPECT_NEAR(log.sweeps[1].reading.secondsPerDay, 6, 0.5);
}

// Start begins a new measurement from the next sample; with Start up nothing restarts. A new
// source starts one too, and counts the beat rate again on the new sound.
TEST_F(MeasurementSessionTest, StartAndANewSourceBeginANewMeasurement)
{
    const SyntheticWatch watch(WatchParams{.beatsPerHour = 21600});
    Feed(watch, 5);
    ASSERT_EQ(session.state().beatsPerSecond, 6);
    const int64_t restarts = session.state().restarts;

    session.restart();
    EXPECT_EQ(session.state().writeIndex, 0);
    EXPECT_EQ(session.state().restarts, restarts + 1);
    EXPECT_EQ(log.steps, (std::vector<std::string>{"reset", "restarted"}));

    session.setRunning(false);
    Feed(watch, 1);
    session.restart();
    EXPECT_EQ(session.state().restarts, restarts + 1) << "Start is up";
    session.setRunning(true);

    session.newSource();
    EXPECT_EQ(session.state().writeIndex, 0);
    EXPECT_FALSE(session.state().beatRateSet()) << "counted again on the new sound";
    Feed(SyntheticWatch(WatchParams{.beatsPerHour = 18000}), 4);
    EXPECT_EQ(session.state().beatsPerSecond, 5);
}

// A time signal heard with the input filter on: the pass that ends the calibration returns
// before the end is told, and the filter's measurement starts anew after it.
TEST_F(MeasurementSessionTest, ATimeSignalEndsOutsideThePassAndTheFilterTakesOver)
{
    session.setInputFilter(true);
    session.startTimeSignal();
    EXPECT_EQ(session.state().beatsPerSecond, 1.0);
    EXPECT_FALSE(session.settings().beatCounterOn);
    EXPECT_EQ(session.engine().mode(), MeasuringMode::Threshold);
    log.steps.clear();
    Feed(SyntheticWatch(
             WatchParams{.beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = 44110}),
         62);
    ASSERT_FALSE(log.steps.empty());
    EXPECT_EQ(log.steps, (std::vector<std::string>{"calibrated", "reset", "restarted"}));
    EXPECT_FALSE(log.endedInsideAPass);
    EXPECT_FALSE(log.calibratingAtEnd);
    EXPECT_EQ(session.state().fineCorrection, 10);
    EXPECT_EQ(session.engine().mode(), MeasuringMode::Averaging);
}

} // namespace
