// The beat scope: the averaged tick and tock as the engine holds them, with the unlocking and the
// drop named where a perfect timegrapher puts them, and an amplitude scale that reads what the
// readout shows.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "AnalysisHarness.h"
#include "MicrophoneScenarios.h"
#include "measurement/BeatScope.h"
#include "measurement/MeasurementEngine.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

struct Quiet : MeasurementListener {
    void samplesStored(int32_t, int32_t) override {}
    void readingChanged(const Reading &) override {}
    void passStarted() override {}
    void firstBeatOfSweep() override {}
    void beatMarked(const Beat &) override {}
    void passEnded() override {}
    void templatesAveraged(const AveragedTemplates &) override {}
    void sweepEnded(const SweepRecord &) override {}
    void timeSignalCalibrationEnded(bool) override {}
};

// The engine as the window runs it with the input filter on (or off), fed a quarter second at a time.
struct Heard {
    Quiet quiet;
    MeasurementEngine engine{quiet};

    Heard(const SyntheticWatchParams &params, double seconds, bool filter = true)
    {
        SetUpState(engine.state);
        engine.state.liftAngle = static_cast<int32_t>(std::lround(params.liftAngle));
        engine.setAveraging(filter);
        const SyntheticWatch watch(params);
        std::vector<int16_t> buffer(11025);
        const AnalysisControls controls{.thresholdLevel = 8000};
        for (int64_t at = 0; at < static_cast<int64_t>(seconds * 44100); at += 11025) {
            watch.generate(at, buffer.data(), buffer.size());
            engine.add(buffer, controls);
            engine.analyse(controls);
        }
    }
};

const MicrophoneScenario &named(const std::vector<MicrophoneScenario> &all, const std::string &name)
{
    for (const MicrophoneScenario &s : all)
        if (s.name == name)
            return s;
    throw std::runtime_error("no scenario " + name);
}

} // namespace

// Watches through ordinary microphones, at three rates, on two seeds and at two levels: each
// template's unlocking and drop lie where the bursts begin, the tock's unlocking where its beat
// error puts it, and the drop read on the amplitude scale gives the amplitude readout.
TEST(BeatScope, UnlockingAndDropLieAtTheTruthAndTheDropReadsTheAmplitude)
{
    for (uint32_t seed : {3u, 11u})
        for (const char *name : {"honest21600", "quiet18000", "be2ms28800"})
            for (double level : {1.5, 0.7}) {
                SyntheticWatchParams params = named(microphoneScenarios(seed), name).params;
                params.peakLevel *= level;
                const SyntheticWatch watch(params);
                const MicrophoneTruth truth = truthOf(watch);
                const Heard heard(params, 20);
                const BeatScope scope = BeatScope::of(heard.engine);
                const std::string what = std::string(name) + " seed " + std::to_string(seed) + " level " +
                                         std::to_string(level);
                ASSERT_EQ(scope.emptyReason, "") << what;
                const Reading &shown = heard.engine.reading();
                ASSERT_TRUE(shown.amplitudeValid) << what;
                for (const ScopeTrace *trace : {&scope.tick, &scope.tock}) {
                    ASSERT_GE(trace->drop, 1) << what;
                    EXPECT_EQ(trace->eventsMs.front(), 0) << what;
                    const double truthLift =
                        truth.liftMs + (trace == &scope.tock ? params.microphone.tockLiftMs : 0);
                    EXPECT_NEAR(trace->dropMs(), truthLift, 0.2) << what;
                    EXPECT_NEAR(scope.amplitudeAt(trace->dropMs()), shown.amplitude, 5) << what;
                }
                EXPECT_NEAR(std::fabs(scope.beatErrorMs), truth.beatErrorMs, 0.2) << what;
                EXPECT_NEAR(std::fabs(scope.beatErrorMs), shown.beatErrorMs, 0.01) << what;
                EXPECT_GT(scope.tick.beats, 16) << what;
                // The spectrum has the beats' sound in it: loudest somewhere in 1-20 kHz.
                ASSERT_FALSE(scope.spectrum.empty()) << what;
                EXPECT_LT(scope.bandLowHz, scope.bandHighHz) << what;
            }
}

// Nothing to draw says why: the filter off, a room with no watch.
TEST(BeatScope, SaysWhyItIsEmpty)
{
    const SyntheticWatchParams watch = named(microphoneScenarios(3), "honest21600").params;
    EXPECT_EQ(BeatScope::of(Heard(watch, 10, false).engine).emptyReason, BeatScope::kFilterOff);
    EXPECT_EQ(BeatScope::of(Heard(named(microphoneScenarios(3), "nowatch").params, 10).engine).emptyReason,
              BeatScope::kNoWatch);
}

