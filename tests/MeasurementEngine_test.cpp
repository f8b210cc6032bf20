// The measurement without a window: a watch heard in whole capture buffers, stored, swept and
// measured by the mode it is given, its readings handed to a listener.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "AnalysisHarness.h"
#include "AnalyzerProcess.h"
#include "MeasurementStateAccess.h"
#include "SyntheticWatch.h"
#include "measurement/MeasurementEngine.h"
#include "recording/CsvLine.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

constexpr int kBuffer = 11024; // a quarter second, as the window captures

// A view of the engine with no window: what it was handed, in order.
struct EngineLog : MeasurementListener {
    void samplesStored(int32_t from, int32_t count) override
    {
        runsContiguous = runsContiguous && from == expectedFrom;
        expectedFrom = from + count;
        stored += count;
    }
    void readingChanged(const Reading &reading) override
    {
        if ((reading.changed & Reading::kRate) && reading.rateValid)
            rates.push_back(reading.secondsPerDay);
        latest = reading;
    }
    void passStarted() override {}
    void firstBeatOfSweep() override {}
    void beatMarked(const Beat &) override { ++marks; }
    void passEnded() override {}
    void templatesAveraged(const AveragedTemplates &) override
    {
        ++templates;
        if (onTemplates)
            onTemplates();
    }
    void sweepEnded(const SweepRecord &sweep) override
    {
        sweeps.push_back(sweep);
        sweepEnds.push_back(stored);
        expectedFrom = 0;
        if (onSweepEnd)
            onSweepEnd();
    }
    void timeSignalCalibrationEnded(bool heard) override { calibrationEnds += heard ? 1 : 0; }

    int64_t stored = 0;
    int32_t expectedFrom = 0;
    bool runsContiguous = true;
    std::vector<int64_t> sweepEnds; // samples stored when each sweep ended
    std::vector<SweepRecord> sweeps;
    std::vector<double> rates; // s/day, each rate shown
    Reading latest;
    int marks = 0, templates = 0, calibrationEnds = 0;
    std::function<void()> onSweepEnd, onTemplates;
};

void feed(MeasurementEngine &engine, const std::vector<int16_t> &samples, const AnalysisControls &controls)
{
    for (size_t at = 0; at + kBuffer <= samples.size(); at += kBuffer) {
        engine.add(std::span(samples).subspan(at, kBuffer), controls);
        engine.analyse(controls);
        if (engine.countingBeats())
            engine.countBeats(controls);
    }
}

class MeasurementEngineTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpState(MeasurementStateAccess::of(engine)); }
    void Feed(const SyntheticWatch &watch, double seconds)
    {
        feed(engine, watch.Samples(0, static_cast<int64_t>(seconds * 44100)), controls);
    }

    EngineLog log;
    MeasurementEngine engine{log};
    AnalysisControls controls{.thresholdLevel = 8000};
};

} // namespace

TEST_F(MeasurementEngineTest, BeatDetectionMeasuresAWatchHeardInWholeBuffersAcrossTheSweepEnd)
{
    // A 5 beat/s watch gaining 12.5 s/day with a 0.4 ms beat error, over one and a half sweeps.
    const SyntheticWatch watch(WatchParams{.rateSecondsPerDay = 12.5, .beatErrorMs = 0.4, .noise = 600});
    double rateAtSweepEnd = 0;
    log.onSweepEnd = [&] { rateAtSweepEnd = log.rates.empty() ? 0 : log.rates.back(); };
    Feed(watch, 90);

    const int64_t heard = 90 * 44100 / kBuffer * kBuffer;
    EXPECT_EQ(engine.samplesHeard(), heard);
    EXPECT_EQ(log.stored, heard);
    EXPECT_TRUE(log.runsContiguous);
    ASSERT_EQ(log.sweepEnds, (std::vector<int64_t>{engine.state().samplesPerSweep + 1}))
        << "the sweep ends after its last entry, inside a buffer";
    EXPECT_EQ(engine.state().writeIndex, heard - engine.state().samplesPerSweep - 1);
    const int64_t last = heard - 1;
    EXPECT_EQ(engine.state().sampleHistory[engine.state().writeIndex - 1],
              std::abs(int32_t{watch.Samples(last, 1)[0]}));
    EXPECT_EQ(engine.state().beatsPerSecond, 5);
    // The averaged rate resolves a sample at each end of ~58 s of beats, plus the tick/tock
    // offset over an odd count of intervals.
    EXPECT_NEAR(rateAtSweepEnd, 12.5, (2 + 0.4 * 44.1) / (58 * 44100.0) * 86400);
    EXPECT_EQ(log.sweeps.at(0).reading.secondsPerDay, rateAtSweepEnd) << "the record states the rate shown";
    EXPECT_EQ(log.templates, 0);
}

TEST_F(MeasurementEngineTest, AveragingMeasuresTheWatchAndGivesWayToATimeSignalCalibration)
{
    const SyntheticWatch watch(WatchParams{.rateSecondsPerDay = -8, .noise = 600});
    engine.setAveraging(true);
    Feed(watch, 30);
    EXPECT_EQ(log.templates, static_cast<int>(30 * 44100 / kBuffer));
    ASSERT_TRUE(log.latest.rateValid);
    EXPECT_NEAR(log.latest.secondsPerDay, -8, 0.5);
    EXPECT_EQ(log.latest.beatsPerSecond, 5);

    // A time signal's pulses are timed by beat detection, whatever is asked: the calibration
    // ends on them.
    engine.calibration().StartTimeSignal();
    MeasurementState &state = MeasurementStateAccess::of(engine);
    state.beatsPerSecond = 1.0;
    state.timeSignalCalibrating = true;
    state.writeIndex = 0;
    state.clearSweepDetection();
    controls.beatCounterOn = false;
    EXPECT_EQ(engine.mode(), MeasuringMode::Threshold);
    int averagedWhileCalibrating = 0;
    log.onTemplates = [&] { averagedWhileCalibrating += engine.state().timeSignalCalibrating; };
    Feed(SyntheticWatch(WatchParams{.beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000}), 62);
    EXPECT_EQ(averagedWhileCalibrating, 0);
    EXPECT_EQ(log.calibrationEnds, 1);
    EXPECT_FALSE(engine.state().timeSignalCalibrating);
    EXPECT_EQ(engine.mode(), MeasuringMode::Averaging);
}

// A bench recording: 20 s of a room with hiss and hum but no watch, then a watch with beat
// error among stray clicks. The engine alone, with this view and no window in the process,
// states every sweep as the window does in the headless analyzer, with the input filter off
// and on.
TEST(MeasurementEngineAlone, ReadsARecordingAsTheWindowDoes)
{
    const int64_t quiet = 20 * 44100, length = 185 * 44100;
    const SyntheticWatch watch(WatchParams{.beatsPerHour = 21600,
                                           .rateSecondsPerDay = 7.5,
                                           .beatErrorMs = 0.7,
                                           .noise = 900,
                                           .firstPeak = 20 * 44100});
    std::vector<int16_t> samples = watch.Samples(0, length);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> hiss(-900, 900);
    std::uniform_int_distribution<int64_t> at(0, length - 400);
    for (int64_t i = 0; i < quiet; ++i)
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(hiss(random));
    for (int64_t i = 0; i < length; ++i)
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::clamp(
            samples[static_cast<size_t>(i)] + 500 * std::sin(2 * 3.14159265358979 * 50 * i / 44100.0),
            -32768.0, 32767.0));
    for (int k = 0; k < 40; ++k) {
        const int64_t click = at(random);
        for (int t = 0; t < 300; ++t)
            samples[static_cast<size_t>(click + t)] = static_cast<int16_t>(std::clamp(
                samples[static_cast<size_t>(click + t)] + 15000 * std::exp(-t / 30.0) * std::cos(0.5 * t),
                -32768.0, 32767.0));
    }
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("bench.wav"));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(wav.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_short(file, samples.data(), length);
    sf_close(file);

    for (const bool filter : {false, true}) {
        SCOPED_TRACE(filter ? "input filter" : "beat detection");
        const AnalyzerRun run = analyze(filter ? QStringList{"--input-filter", wav} : QStringList{wav});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        QStringList window; // each sweep's line without its time stamp
        for (const QString &line : run.lines)
            if (!line.startsWith(QStringLiteral("FINAL")))
                window << line.section(',', 1);

        EngineLog log;
        MeasurementEngine engine{log};
        SetUpState(MeasurementStateAccess::of(engine));
        engine.setAveraging(filter);
        feed(engine, samples, AnalysisControls{.thresholdLevel = 32768 - 15000});
        QStringList alone;
        for (const SweepRecord &sweep : log.sweeps)
            alone << QString::fromStdString(buildCsvLine("", sweep)).section(',', 1);
        EXPECT_EQ(alone, window);
        ASSERT_EQ(alone.size(), 3);
        EXPECT_TRUE(log.sweeps[2].reading.rateValid) << "a watch read: " << alone.join('\n').toStdString();
    }
}
