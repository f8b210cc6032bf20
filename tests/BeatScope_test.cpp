// The beat scope: the averaged tick and tock as the engine holds them, with the unlocking and the
// drop named where a perfect timegrapher puts them, and an amplitude scale that reads what the
// readout shows; saved by the analyzer with its labels and named marks as text, and shown in a
// window of its own.
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "AnalysisHarness.h"
#include "AnalyzerProcess.h"
#include "MeasurementStateAccess.h"
#include "MicrophoneScenarios.h"
#include "WindowDrive.h"
#include "app/scope/Scope.h"
#include "app/scope/ScopeWindow.h"
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
        MeasurementState &state = MeasurementStateAccess::of(engine);
        SetUpState(state);
        state.liftAngle = static_cast<int32_t>(std::lround(params.liftAngle));
        engine.setAveraging(filter);
        const tamsel::SyntheticWatch watch(params);
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

QString writeWav(const QTemporaryDir &dir, const SyntheticWatchParams &params, double seconds)
{
    const tamsel::SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    watch.generate(0, samples.data(), samples.size());
    const QString path = dir.filePath("watch.wav");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

// Every text element of an SVG, in order.
QStringList svgTexts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString svg = QString::fromUtf8(file.readAll());
    static const QRegularExpression element(QStringLiteral("<text[^>]*>([^<]*)</text>"));
    QStringList texts;
    for (const QRegularExpressionMatch &m : element.globalMatch(svg))
        texts << m.captured(1).trimmed().replace(QStringLiteral("&#xb0;"), QStringLiteral("°"));
    return texts;
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
                const tamsel::SyntheticWatch watch(params);
                const MicrophoneTruth truth = truthOf(watch);
                const Heard heard(params, 20);
                const BeatScope scope = BeatScope::of(heard.engine);
                const std::string what =
                    std::string(name) + " seed " + std::to_string(seed) + " level " + std::to_string(level);
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
            }
}

// The spectrum is of the beats' loudest sound: a seconds pendulum's drop, 160 ms after its faint
// unlocking, rings at 1.3 kHz (tick) and 1.38 kHz (tock), and the spectrum peaks there.
TEST(BeatScope, TheSpectrumShowsWhereTheBeatRings)
{
    const Heard clock(named(benchScenarios(5), "clock3600").params, 30);
    const BeatScope scope = BeatScope::of(clock.engine);
    ASSERT_EQ(scope.emptyReason, "");
    ASSERT_FALSE(scope.spectrum.empty());
    const auto loudest =
        std::max_element(scope.spectrum.begin(), scope.spectrum.end()) - scope.spectrum.begin();
    EXPECT_NEAR(scope.spectrumFirstHz + scope.hzPerBin * static_cast<double>(loudest), 1340, 80);
}

// Nothing to draw says why: the filter off, a room with no watch.
TEST(BeatScope, SaysWhyItIsEmpty)
{
    const SyntheticWatchParams watch = named(microphoneScenarios(3), "honest21600").params;
    EXPECT_EQ(BeatScope::of(Heard(watch, 10, false).engine).emptyReason, BeatScope::kFilterOff);
    EXPECT_EQ(BeatScope::of(Heard(named(microphoneScenarios(3), "nowatch").params, 10).engine).emptyReason,
              BeatScope::kNoWatch);
}

// quorlen-analyze --scope on a recording: the scope of its last sweep as SVG, its axes and marks
// written as text that reads back the truth and the FINAL line's amplitude, and the report's row
// of the same traces; a seconds pendulum's scope reaches past its drop, with the ring after it.
TEST(BeatScope, TheAnalyzerSavesTheScopeWithItsLabelsAndNamedMarksAsText)
{
    QTemporaryDir dir;
    const QString svg = dir.filePath("scope.svg"), report = dir.filePath("report.svg");
    const SyntheticWatchParams params = named(microphoneScenarios(7), "honest21600").params;
    const MicrophoneTruth truth = truthOf(tamsel::SyntheticWatch(params));
    const AnalyzerRun run = analyze({"--input-filter", "--auto-threshold", "--view", "20", "--scope", svg,
                                     "--report", report, writeWav(dir, params, 41)});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList final = run.lines.filter(QRegularExpression("^FINAL,")).value(0).split(',');
    const QStringList texts = svgTexts(svg);
    const std::string all = texts.join(" | ").toStdString();
    for (const char *label : {"Time from the unlocking (ms)", "Amplitude (°)", "Frequency (kHz)", "tick",
                              "tock", "150", "200", "250", "300"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(label))) << label << " in " << all;
    EXPECT_EQ(texts.count(QStringLiteral("unlocking")), 2) << all;
    static const QRegularExpression dropText(QStringLiteral("^drop (\\d+\\.\\d) ms, (\\d+)°$"));
    int drops = 0;
    for (const QString &text : texts)
        if (const QRegularExpressionMatch m = dropText.match(text); m.hasMatch()) {
            ++drops;
            EXPECT_NEAR(m.captured(1).toDouble(), truth.liftMs, 0.2) << all;
            EXPECT_NEAR(m.captured(2).toDouble(), final[4].toDouble(), 5) << all;
        }
    EXPECT_EQ(drops, 2) << all;
    EXPECT_TRUE(texts.filter(QRegularExpression("^lift \\d+\\.\\d ms$")).size() == 2) << all;
    EXPECT_TRUE(
        texts.filter(QRegularExpression("^beat error 0\\.[56]\\d ms \\(tock (late|early)\\)$")).size() == 1)
        << all;
    EXPECT_TRUE(texts.filter(QRegularExpression("^listening band ")).size() == 1) << all;
    // The report's row of traces: the same beats, their marks named.
    const QStringList reported = svgTexts(report);
    EXPECT_TRUE(reported.contains("Averaged tick and tock of the last sweep"))
        << reported.join(" | ").toStdString();
    EXPECT_EQ(reported.count(QStringLiteral("unlocking")), 2) << reported.join(" | ").toStdString();

    // A file type it cannot write is refused before the run, as a report's is.
    const AnalyzerRun refused = analyze({"--input-filter", "--scope", dir.filePath("scope.txt"), "x.wav"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.errors.contains("--scope needs a file name ending in .svg, .png or .pdf"))
        << refused.errors.toStdString();

    const SyntheticWatchParams clock = named(benchScenarios(7), "clock3600").params;
    const AnalyzerRun slow = analyze({"--input-filter", "--auto-threshold", "--lift-angle", "10", "--view",
                                      "30", "--scope", svg, writeWav(dir, clock, 31)});
    ASSERT_EQ(slow.exitCode, 0) << slow.errors.toStdString();
    const QStringList clockTexts = svgTexts(svg);
    const std::string clockAll = clockTexts.join(" | ").toStdString();
    EXPECT_EQ(clockTexts.count(QStringLiteral("unlocking")), 2) << clockAll;
    EXPECT_FALSE(clockTexts.contains(QStringLiteral("Amplitude (°)")))
        << "no amplitude below 2 beats a second";
    double dropMs = 0, axisEnd = 0;
    static const QRegularExpression clockDrop(QStringLiteral("^drop (\\d+\\.\\d) ms$"));
    for (const QString &text : clockTexts) {
        if (const QRegularExpressionMatch m = clockDrop.match(text); m.hasMatch())
            dropMs = std::max(dropMs, m.captured(1).toDouble());
        bool number = false;
        if (const double value = text.toDouble(&number); number)
            axisEnd = std::max(axisEnd, value);
    }
    EXPECT_NEAR(dropMs, 160, 2) << clockAll;
    EXPECT_GE(axisEnd, dropMs + 20) << "the drop's ring shows: " << clockAll;
}

// View ▸ Beat scope… (Ctrl+B), the View menu's last item, opens the scope in a window of its
// own: it says why it is empty with the input filter off, draws the watch from the engine once
// a second with it on, saves its picture, and opens where it was left on the next run; a run
// that never opens it writes no place.
TEST(BeatScope, TheWindowOpensFromTheViewMenuDrawsTheWatchAndKeepsItsPlace)
{
    Window w;
    Scope &scope = w.form->scope();
    EXPECT_EQ(scope.BeatScope1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
    EXPECT_EQ(static_cast<QMenu *>(w.form->Trend1->parent())->actions().last(), scope.BeatScope1);
    scope.BeatScope1->trigger();
    ScopeWindow *window = scope.window();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->scope().emptyReason, BeatScope::kFilterOff);

    w.form->InputFilter1->trigger();
    const tamsel::SyntheticWatch watch(named(microphoneScenarios(3), "honest21600").params);
    std::vector<int16_t> buffer(kBufferSamples);
    for (int64_t at = 0; at < 12 * 44100; at += kBufferSamples) {
        watch.generate(at, buffer.data(), buffer.size());
        w.deliver(buffer);
    }
    QElapsedTimer waited;
    waited.start();
    while (!window->scope().emptyReason.empty() && waited.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(window->scope().emptyReason, "") << "redrawn within a second";
    ASSERT_TRUE(w.form->session().engine().reading().amplitudeValid);
    EXPECT_NEAR(window->scope().amplitudeAt(window->scope().liftMs),
                w.form->session().engine().reading().amplitude, 1);

    const QString pdf = w.dir.filePath("scope.pdf"), svg = w.dir.filePath("scope.svg");
    EXPECT_EQ(window->saveImage(pdf), QString());
    EXPECT_EQ(window->saveImage(svg), QString());
    QFile saved(pdf);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith("%PDF"));
    EXPECT_TRUE(svgTexts(svg).contains("unlocking"));

    window->setGeometry(40, 50, 700, 500);
    const QRect place = window->geometry();
    w.restart();
    EXPECT_TRUE(w.ini().contains("BeatScopeWindow=")) << w.ini().toStdString();
    EXPECT_EQ(w.form->scope().window(), nullptr) << "made at its first use";
    w.form->scope().BeatScope1->trigger();
    EXPECT_EQ(w.form->scope().window()->geometry(), place);

    Window never;
    never.form.reset();
    EXPECT_FALSE(never.ini().contains("BeatScope"));
}
