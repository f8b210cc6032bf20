// The time axis of a live capture stays true through what a real desktop does to it: a
// stalled window, error boxes at the sweep end, a suspended source, and a sound server that
// is not there yet. Runs only inside tests/e2e/live_time_axis.sh, which starts a private
// PulseAudio server whose default source records what is played into its null sink.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <vector>

#include "RunUntil.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/SyntheticWatch.h"

using namespace tamsel;
using tamsel::test::runUntil;

namespace {

constexpr int kRate = 44100;
constexpr double kWatchRate = -5; // seconds per day

bool liveServer()
{
    return std::getenv("TAMSEL_LIVE_PULSE") != nullptr;
}

void runFor(int ms)
{
    runUntil([] { return false; }, ms);
}

// A second of silence, then a watch losing 5 s/day over a little noise, so that every
// sample of the watch is recognisable in the history.
std::vector<int16_t> watchRecording(int seconds)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = kWatchRate;
    params.beatErrorMs = 0;
    params.firstPeak = kRate + 2000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(kRate) * static_cast<size_t>(seconds));
    watch.generate(0, samples.data(), samples.size());
    std::fill_n(samples.begin(), kRate, int16_t{0});
    return samples;
}

void writeWav(const QString &path, const std::vector<int16_t> &samples)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

// A window on the live server, keeping every finished sweep's samples and rate.
struct LiveWindow {
    QTemporaryDir dir;
    std::vector<QString> errors;
    std::unique_ptr<TForm1> form;
    std::vector<uint16_t> timeline; // the history, sweep after sweep
    std::vector<double> sweepRates; // the rate (s/day) each sweep ended with

    explicit LiveWindow(bool collectErrors = true)
    {
        if (collectErrors)
            SetExceptionSink([this](const QString &text) { errors.push_back(text); });
        TForm1Design design;
        design.settingsFile = dir.filePath("Quorlen.ini");
        form = std::make_unique<TForm1>(nullptr, design);
        form->OnSweepEnd = [this] {
            const MeasurementState &s = form->state;
            timeline.insert(timeline.end(), s.sampleHistory.data(),
                            s.sampleHistory.data() + s.samplesPerSweep + 1);
            sweepRates.push_back(s.rateRatio * 86400);
        };
        form->show();
    }
    ~LiveWindow()
    {
        form->close();
        runUntil([this] { return !form->WinWaveIn1->Opened(); }, 5000);
        form.reset();
        SetExceptionSink(nullptr);
    }
    bool started()
    {
        runUntil([this] { return form->WinWaveIn1->Started(); }, 5000);
        return form->WinWaveIn1->Started();
    }
    void play(const std::vector<int16_t> &samples, QProcess &player)
    {
        writeWav(dir.filePath("watch.wav"), samples);
        player.start("paplay", {dir.filePath("watch.wav")});
        ASSERT_TRUE(player.waitForStarted());
    }
    // The finished sweeps that lie wholly within [from, to) of the timeline.
    std::vector<size_t> sweepsWithin(int64_t from, int64_t to) const
    {
        std::vector<size_t> inside;
        const int64_t length = form->state.samplesPerSweep + 1;
        for (size_t i = 0; i < sweepRates.size(); ++i)
            if (static_cast<int64_t>(i) * length >= from && static_cast<int64_t>(i + 1) * length <= to)
                inside.push_back(i);
        return inside;
    }
    // The index in the timeline of the first sample of the recording, found by the watch's
    // first nonzero sample.
    int64_t alignment(const std::vector<int16_t> &played) const
    {
        size_t first = 0;
        while (first < played.size() && played[first] == 0)
            ++first;
        for (size_t i = 0; i < timeline.size(); ++i)
            if (timeline[i] != 0)
                return static_cast<int64_t>(i) - static_cast<int64_t>(first);
        return -1;
    }
};

uint16_t magnitude(int16_t s)
{
    return static_cast<uint16_t>(s < 0 ? -static_cast<int32_t>(s) : s);
}

} // namespace

TEST(LiveTimeAxis, BacklogAfterAStalledWindowIsStoredInCaptureOrder)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_time_axis.sh";
    LiveWindow w;
    w.form->N101Click(); // 10-second sweeps
    ASSERT_TRUE(w.started()) << (w.errors.empty() ? "" : w.errors[0].toStdString());
    const std::vector<int16_t> played = watchRecording(32);
    QProcess player;
    w.play(played, player);
    runFor(13000);
    QThread::sleep(8); // the window stalls; the server and the ring keep the audio
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 60000);
    runFor(1000);

    EXPECT_TRUE(w.errors.empty());
    EXPECT_EQ(w.form->lostSamples(), 0) << "nothing was lost, so nothing is reported";
    const int64_t at = w.alignment(played);
    ASSERT_GE(at, 0);
    size_t mismatches = 0, first = 0, compared = 0;
    for (size_t k = static_cast<size_t>(kRate);
         k < played.size() && at + static_cast<int64_t>(k) < static_cast<int64_t>(w.timeline.size());
         ++k, ++compared)
        if (w.timeline[static_cast<size_t>(at) + k] != magnitude(played[k]) && mismatches++ == 0)
            first = k;
    EXPECT_GE(compared, static_cast<size_t>(25 * kRate));
    EXPECT_EQ(mismatches, 0u) << "first at recording sample " << first;
    // Every sweep that lies wholly within the watch reads its rate, the stalled one too.
    const std::vector<size_t> sweeps = w.sweepsWithin(at + kRate, at + static_cast<int64_t>(played.size()));
    ASSERT_GE(sweeps.size(), 2u);
    for (size_t i : sweeps)
        EXPECT_NEAR(w.sweepRates[i], kWatchRate, 0.5) << "sweep " << i;
}

TEST(LiveTimeAxis, SuspendedSourceLeavesTheTimeAxisTrue)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_time_axis.sh";
    LiveWindow w;
    w.form->N101Click();
    ASSERT_TRUE(w.started());
    const std::vector<int16_t> played = watchRecording(32);
    QProcess player;
    w.play(played, player);
    runFor(12000);
    QProcess::execute("pactl", {"suspend-source", "benchmic", "1"});
    runFor(6000);
    QProcess::execute("pactl", {"suspend-source", "benchmic", "0"});
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 60000);
    runFor(1000);

    EXPECT_NEAR(w.form->lostSamples(), 6 * kRate, kRate / 2);
    const int64_t at = w.alignment(played);
    ASSERT_GE(at, 0);
    // The gap: the longest run of silence within the watch.
    int64_t gapEnd = 0, longest = 0;
    for (int64_t i = at + kRate, run = 0; i < static_cast<int64_t>(w.timeline.size()); ++i) {
        run = w.timeline[static_cast<size_t>(i)] == 0 ? run + 1 : 0;
        if (run > longest) {
            longest = run;
            gapEnd = i + 1;
        }
    }
    // Where the audio after the gap came from in the recording: the silence filled in plus
    // the audio that follows add up to the true elapsed time.
    int64_t found = -1;
    for (int64_t k = gapEnd - at - kRate; k < gapEnd - at + kRate && found < 0; ++k) {
        bool same = true;
        for (int64_t j = 0; j < 256 && same; ++j)
            same = w.timeline[static_cast<size_t>(gapEnd + 100 + j)] ==
                   magnitude(played[static_cast<size_t>(k + j)]);
        if (same)
            found = k - 100;
    }
    ASSERT_GE(found, 0);
    EXPECT_NEAR(found, gapEnd - at, 44)
        << "within a millisecond of its true place (gap " << static_cast<double>(longest) / kRate << " s)";
    const std::vector<size_t> sweeps = w.sweepsWithin(gapEnd, at + static_cast<int64_t>(played.size()));
    ASSERT_FALSE(sweeps.empty());
    EXPECT_NEAR(w.sweepRates[sweeps.front()], kWatchRate, 0.5);
}

TEST(LiveTimeAxis, ErrorBoxesAtTheSweepEndHoldNoBuffer)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_time_axis.sh";
    LiveWindow w(false); // real boxes, left open as a user away from the desk would
    const QString plainFile = w.dir.filePath("My Pictures");
    QFile(plainFile).open(QIODevice::WriteOnly);
    w.form->recordFolder = plainFile + "/Tamsel/";
    w.form->N11Click(); // a sweep end every second
    ASSERT_TRUE(w.started());

    // What the program reports goes to its standard error stream: keep it.
    const QString log = w.dir.filePath("stderr.txt");
    std::fflush(stderr);
    const int savedStderr = dup(2);
    ASSERT_NE(std::freopen(log.toLocal8Bit().constData(), "w", stderr), nullptr);

    std::vector<QMessageBox *> boxes;
    std::vector<QString> texts;
    bool closeAll = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (!box || !box->isVisible())
                continue;
            if (closeAll)
                box->done(0);
            else if (std::find(boxes.begin(), boxes.end(), box) == boxes.end()) {
                boxes.push_back(box);
                texts.push_back(box->text());
            }
        }
    });
    watch.start(50);
    QTimer::singleShot(0, w.form->recBtn, [&] { w.form->recBtn->click(); });
    QTimer::singleShot(30000, [&] { closeAll = true; });
    runUntil([&] { return closeAll && QApplication::activeModalWidget() == nullptr; }, 40000);
    watch.stop();
    SetExceptionSink([](const QString &) {}); // the log's failure to close, at the end

    std::fflush(stderr);
    dup2(savedStderr, 2);
    ::close(savedStderr);
    QFile file(log);
    file.open(QIODevice::ReadOnly);
    const QString reported = QString::fromLocal8Bit(file.readAll());

    EXPECT_EQ(w.form->lostSamples(), 0);
    EXPECT_GE(w.sweepRates.size(), 28u) << "sweeps went on under the boxes";
    ASSERT_EQ(texts.size(), 2u) << "the folder's failure at the click, and the snapshots' failure once";
    EXPECT_TRUE(texts[0].contains("Cannot create the folder")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].contains("snapshot")) << texts[1].toStdString();
    EXPECT_EQ(reported.count("Cannot create the folder"), 1);
    EXPECT_GE(reported.count("snapshot"), static_cast<qsizetype>(w.sweepRates.size()) - 1)
        << "every failed snapshot is reported";
}

TEST(LiveTimeAxis, NoServerAtStartThenCapturesWhenOneAppears)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_time_axis.sh";
    const QString server = qEnvironmentVariable("TAMSEL_PULSE_SERVER_SCRIPT");
    ASSERT_FALSE(server.isEmpty());
    QProcess::execute("bash", {server, "stop"});
    LiveWindow w;
    ASSERT_EQ(w.errors.size(), 1u) << "the failure to open is shown";
    EXPECT_FALSE(w.form->WinWaveIn1->Opened());
    runFor(5000);
    EXPECT_EQ(w.form->StatusBar1->captureNote(), "No sound server: retrying");
    QProcess::execute("bash", {server, "start"});
    ASSERT_TRUE(w.started()) << "capturing once the server is there";
    QProcess player;
    w.play(watchRecording(3), player);
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 20000);
    runFor(1000);
    const uint16_t *history = w.form->state.sampleHistory.data();
    EXPECT_NE(std::count_if(history, history + w.form->state.writeIndex, [](uint16_t s) { return s != 0; }),
              0)
        << "the watch was heard";
    EXPECT_EQ(w.form->StatusBar1->captureNote(), "") << "nothing is amiss any more";
    EXPECT_EQ(w.errors.size(), 1u);
}
