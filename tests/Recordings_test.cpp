// Recordings in the window: a recording opened in place of the live capture, or given to the
// program as FILE, measures as the analyzer does, a file that is not audio is refused while the
// capture goes on, and the audio saved from the window (from the scripted service here, from a
// real sound server inside tests/e2e/live_capture.sh) measures as the window did, survives a
// full disk and never replaces an earlier save.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>

#include "FileSizeLimit.h"
#include "MicrophoneScenarios.h"
#include "WindowDrive.h"
#include "app/recordings/RecordingSource.h"
#include "app/recordings/RecordingsMenu.h"
#include "capture/AudioFile.h"
#include "measurement/FormatPicture.h"
#include "recording/AudioWriter.h"
#include "recording/RecordNames.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

WatchParams watch()
{
    WatchParams p;
    p.rateSecondsPerDay = 6;
    p.beatErrorMs = 0.3;
    return p;
}

QString writeWav(const QString &path, const std::vector<int16_t> &samples)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

// The readouts as they stand at a sweep end.
QStringList readouts(const TForm1 &form)
{
    return {form.BackPanel1->bpss->caption(),          QString::number(form.BackPanel1->spd->value()),
            form.BackPanel1->katatime->caption(),      QString::number(form.BackPanel1->kaku->value()),
            form.StatusBar1->panelText(2), form.StatusBar1->panelText(4),
            form.StatusBar1->panelText(6)};
}

// A status-bar text with the locale's decimal separator replaced by a full stop, as FINAL has it.
QString withFullStop(QString text)
{
    return text.replace(QString::fromStdString(DecimalSeparator()), QStringLiteral("."));
}

// Runs the event loop until the window has ended `sweeps` sweeps; their readouts.
std::vector<QStringList> sweepReadouts(TForm1 &form, int sweeps)
{
    std::vector<QStringList> seen;
    form.OnSweepEnd = [&] { seen.push_back(readouts(form)); };
    for (int i = 0; i < 200000 && static_cast<int>(seen.size()) < sweeps; ++i)
        QCoreApplication::processEvents();
    form.OnSweepEnd = nullptr;
    return seen;
}

// The readouts of the analyzer's FINAL line, in the order of readouts().
QStringList finalReadouts(const QString &line)
{
    EXPECT_TRUE(line.startsWith("FINAL,")) << line.toStdString();
    return line.section(',', 1, 7).split(',');
}

// The lines quorlen-analyze prints.
QStringList analyze(const QStringList &arguments)
{
    QProcess analyzer;
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"), arguments);
    EXPECT_TRUE(analyzer.waitForFinished(60000));
    EXPECT_EQ(analyzer.exitCode(), 0) << analyzer.readAllStandardError().toStdString();
    return QString::fromUtf8(analyzer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Each sweep's line (without its stamp) the window logs while it hears `samples` of `sound`
// after `setUp`, and what the analyzer prints with `options` on the audio the window saved.
std::pair<QStringList, QStringList> windowAndAnalyzerSweeps(const std::function<void(TForm1 &)> &setUp,
                                                            const QStringList &options,
                                                            const WatchParams &sound, int64_t samples)
{
    Window w;
    SetMessageSink([](const QString &) {});
    setUp(*w.form);
    w.form->recordFolder = w.dir.path() + "/";
    w.form->recBtn->click();
    const QString saved = w.dir.filePath("heard.flac");
    EXPECT_TRUE(w.form->Recordings1->startSaving(saved));
    WatchFeed(sound).atLeast(w, samples);
    SetMessageSink(nullptr);
    w.form->Recordings1->stopSaving();
    QFile log(w.form->recorder().logPath());
    w.form->recBtn->click();
    EXPECT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList window, analyzer;
    for (const QString &line : QString::fromUtf8(log.readAll()).split("\r\n", Qt::SkipEmptyParts))
        window << line.section(',', 1);
    for (const QString &line : analyze(QStringList{"--quiet"} + options + QStringList{saved}))
        if (!line.startsWith("FINAL,") && !line.startsWith("CLOCK,"))
            analyzer << line.section(',', 1);
    return {window, analyzer};
}

} // namespace

TEST(Recordings, OpenRecordingMeasuresAsTheReplayAndLiveInputReturns)
{
    QTemporaryDir dir;
    const QString wav =
        writeWav(dir.filePath("watch.wav"), test::SyntheticWatch(watch()).Samples(0, 23 * 44100));

    // As --wav replays it, only faster; gone before the next window, so as not to feed on.
    std::vector<QStringList> expected;
    {
        QString error;
        TForm1Design design;
        design.settingsFile = dir.filePath("replay.ini");
        TForm1 replay(recordingService(wav, false, &error, false), design);
        replay.show();
        replay.N101Click();
        expected = sweepReadouts(replay, 2);
    }
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(expected[1][0], " 05.0");

    // Opened from the menu while the live capture runs.
    Window w;
    w.form->N101Click();
    WatchFeed live;
    live.buffers(w, 3);
    w.form->Recordings1->paced = false;
    ASSERT_TRUE(w.form->Recordings1->openRecording(wav));
    cycleBuffers(w);
    EXPECT_EQ(w.form->windowTitle(), "watch.wav — Tamsel");
    EXPECT_EQ(sweepReadouts(*w.form, 2), expected);
    EXPECT_TRUE(w.errors.empty());

    w.form->Recordings1->LiveInput1->trigger();
    for (int i = 0; i < 100 && w.form->WinWaveIn1->service() != w.service; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(w.form->WinWaveIn1->service(), w.service) << "the live capture is back";
    EXPECT_EQ(w.form->windowTitle(), "Tamsel");
    QCoreApplication::processEvents();
    w.deliver(std::vector<int16_t>(kBufferSamples, -300));
    EXPECT_EQ(w.state().writeIndex, kBufferSamples) << "a new measurement of the live sound";
    EXPECT_EQ(w.state().sampleHistory[0], 300);
}

TEST(Recordings, QuorlenFileReplaysTheRecordingWithoutASoundServerAndEndsOnSigterm)
{
    // The program as the desktop entry starts it (Quorlen %f), stopped from outside while it
    // replays. With no sound server to fall back on, any failure to open the file would be
    // an error on its standard error stream.
    QTemporaryDir dir;
    const QString wav =
        writeWav(dir.filePath("watch.wav"), test::SyntheticWatch(watch()).Samples(0, 9 * 44100));
    const QString program = dir.filePath("Quorlen"); // its settings file lands beside it
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-server")); // only the file can be heard
    QProcess quorlen;
    quorlen.setProcessEnvironment(env);
    quorlen.start(program, {wav});
    ASSERT_TRUE(quorlen.waitForStarted());
    QThread::msleep(2000);
    ASSERT_EQ(quorlen.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
    ASSERT_TRUE(quorlen.waitForFinished(15000));
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorlen.exitCode(), 0);
    const QString said = QString::fromLocal8Bit(quorlen.readAllStandardError());
    EXPECT_FALSE(said.contains("Quorlen: ")) << said.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("Quorlen.ini"))) << "the settings were kept";
}

TEST(Recordings, AReplayAtItsOwnPaceShowsWhatTheAnalyzerMeasuresOnTheAudioItHeard)
{
    // The window as Quorlen FILE builds it, replaying at the recording's pace and left at an
    // arbitrary moment: its readouts are the analyzer's on exactly the audio heard by then.
    QTemporaryDir dir;
    const auto recording = test::SyntheticWatch(watch()).Samples(0, 9 * 44100);
    const QString wav = writeWav(dir.filePath("watch.wav"), recording);
    QString error;
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    design.recording = QStringLiteral("watch.wav");
    TForm1 form(recordingService(wav, false, &error), design);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    form.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QStringList shown = readouts(form); // between two buffers
    for (int i = 4; i < 7; ++i)
        shown[i] = withFullStop(shown[i]);
    const int64_t heard = form.samplesHeard();
    ASSERT_GE(heard, 3 * 44100) << "too little heard to count the beats";
    ASSERT_EQ(shown[0], " 05.0") << "the beats were counted from the recording";

    // What it heard: the recording, and silence after its end.
    std::vector<int16_t> same(recording.begin(),
                              recording.begin() +
                                  std::min<int64_t>(heard, static_cast<int64_t>(recording.size())));
    same.resize(static_cast<size_t>(heard), 0);
    const QStringList out = analyze({"--quiet", writeWav(dir.filePath("heard.wav"), same)});
    ASSERT_FALSE(out.isEmpty());
    EXPECT_EQ(finalReadouts(out.last()), shown);
}

TEST(Recordings, AFileThatIsNotAudioIsRefusedOnceAndTheCaptureGoesOn)
{
    Window w;
    const QString notes = w.dir.filePath("notes.wav");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Not a recording, whatever its name says.\n");
    file.close();
    EXPECT_FALSE(w.form->Recordings1->openRecording(notes));
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.errors[0].startsWith(notes + " is not a recording Tamsel can read ("))
        << w.errors[0].toStdString();
    EXPECT_EQ(w.form->WinWaveIn1->service(), w.service);
    w.deliver(std::vector<int16_t>(kBufferSamples, 50));
    EXPECT_EQ(w.state().writeIndex, kBufferSamples);
    EXPECT_EQ(w.form->windowTitle(), "Tamsel");
}

// The window and the analyzer run one session: on the same audio they give the same sweeps
// with the input filter on, and through a time-signal calibration and what it measures after,
// with the filter off and on.
TEST(Recordings, TheWindowAndTheAnalyzerAgreeWithTheFilterOnAndAfterATimeSignal)
{
    const auto [filtered, analyzed] = windowAndAnalyzerSweeps(
        [](TForm1 &form) {
            form.N101Click();
            form.InputFilter1->trigger();
        },
        {"--view", "10", "--input-filter"}, watch(), 31 * 44100);
    EXPECT_EQ(filtered, analyzed);
    ASSERT_EQ(filtered.size(), 3);
    EXPECT_NE(filtered[2].section(',', 3, 3), "") << "a rate read: " << filtered[2].toStdString();

    const WatchParams pulses{
        .beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = 44110};
    for (const bool filter : {false, true}) {
        SCOPED_TRACE(filter ? "input filter" : "beat detection");
        const auto [window, analyzer] = windowAndAnalyzerSweeps(
            [filter](TForm1 &form) {
                if (filter)
                    form.InputFilter1->trigger();
                form.T1Click();
            },
            filter ? QStringList{"--time-signal", "--input-filter"} : QStringList{"--time-signal"}, pulses,
            185 * 44100);
        EXPECT_EQ(window, analyzer);
        EXPECT_GE(window.size(), 2);
    }
}

TEST(Recordings, SavedAudioMeasuresAsTheWindowDidAndNeverReplacesAnotherSave)
{
    Window w;
    w.form->recordFolder = w.dir.path() + "/";
    w.form->N101Click();
    RecordingsMenu &recordings = *w.form->Recordings1;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const QString path = recordings.suggestedAudioPath();
    EXPECT_TRUE(path.endsWith(".flac"));
    ASSERT_TRUE(recordings.startSaving(path));
    EXPECT_TRUE(recordings.SaveAudio1->isChecked());
    // Each sweep as the window shows it, in the CSV line's fields.
    QStringList lines;
    w.form->OnSweepEnd = [&] {
        const TStatusBar &status = *w.form->StatusBar1;
        const auto number = [&status](int panel) {
            return withFullStop(status.panelText(panel).section(' ', 0, 0));
        };
        lines << QStringList{QString::fromStdString(FormatPicture("0.0", w.state().beatsPerSecond, ".")),
                             number(4), number(2), number(6),
                             QString::fromStdString(
                                 FormatPicture("0.0000000000000000000", w.state().rateRatio, "."))}
                     .join(',');
    };
    WatchFeed feed(watch());
    feed.atLeast(w, 21 * 44100);
    w.form->OnSweepEnd = nullptr;
    recordings.SaveAudio1->trigger(); // chosen again: stops
    EXPECT_FALSE(recordings.saving());
    ASSERT_EQ(lines.size(), 2);

    const QStringList out = analyze({"--view", "10", path});
    ASSERT_GE(out.size(), 3);
    for (int i = 0; i < 2; ++i) {
        const qsizetype comma = out[i].indexOf(',');
        EXPECT_EQ(out[i].mid(comma + 1), lines[i]);
    }
    // Stamped by the start the file holds: the first sweep ended ten seconds into it.
    const QString stamp = out[0].section(',', 0, 0).remove('"');
    EXPECT_GE(stamp, recordStamp(before.addSecs(10)));
    EXPECT_LE(stamp, recordStamp(QDateTime::currentDateTime().addSecs(11)));

    // Two saves in the same second: both kept, and an existing file is never written over.
    const QString second = recordings.suggestedAudioPath();
    EXPECT_NE(second, path);
    const qint64 size = QFileInfo(path).size();
    EXPECT_FALSE(recordings.startSaving(path));
    EXPECT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(QFileInfo(path).size(), size);
    ASSERT_TRUE(recordings.startSaving(second));
    recordings.stopSaving();
    EXPECT_TRUE(QFileInfo::exists(second));
}

TEST(Recordings, AudioSavedFromTheSoundServerMeasuresAsTheWindowDid)
{
    if (!qEnvironmentVariableIsSet("TAMSEL_LIVE_PULSE"))
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_capture.sh";
    // A quiet watch under hum, as an ordinary microphone hears it, played into the server.
    QTemporaryDir dir;
    tamsel::SyntheticWatchParams quiet;
    for (const MicrophoneScenario &scenario : microphoneScenarios(3))
        if (scenario.name == "quiet18000")
            quiet = scenario.params;
    std::vector<int16_t> played(10 * 44100);
    tamsel::SyntheticWatch(quiet).generate(0, played.data(), played.size());
    const QString wav = writeWav(dir.filePath("watch.wav"), played);

    std::vector<QString> errors;
    SetExceptionSink([&errors](const QString &text) { errors.push_back(text); });
    struct Unset {
        ~Unset() { SetExceptionSink(nullptr); }
    } unset;
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    TForm1 form(nullptr, design);
    form.show();
    // Before the window's first buffer: the view, the input filter, its CSV log and the save.
    // The analyzer's sweeps start at the file's first sample, so only a save that starts with
    // the window's first buffer has the window's sweeps; one started later measures its own.
    form.N31Click();
    form.InputFilter1->trigger();
    form.recordFolder = dir.path() + "/";
    form.recBtn->click(); // the window's own CSV log
    const QString saved = dir.filePath("saved.flac");
    ASSERT_TRUE(form.Recordings1->startSaving(saved));
    ASSERT_EQ(form.samplesHeard(), 0);
    QProcess player;
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    int sweeps = 0;
    QStringList shown; // as the last sweep left them: the analyzer's FINAL gives no partial sweep
    form.OnSweepEnd = [&sweeps, &shown, &form] {
        ++sweeps;
        shown = readouts(form);
    };
    QElapsedTimer clock;
    clock.start();
    while (sweeps < 3 && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    form.OnSweepEnd = nullptr;
    form.Recordings1->stopSaving();
    for (int i = 4; i < 7; ++i)
        shown[i] = withFullStop(shown[i]);
    const QString log = form.recorder().logPath();
    form.recBtn->click();
    player.kill(); // the rest is not needed
    player.waitForFinished(5000);
    ASSERT_EQ(sweeps, 3);
    EXPECT_EQ(form.lostSamples(), 0) << "a gap is silence in the file but a restart in the window";
    EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
    EXPECT_EQ(shown[0], " 05.0");

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList logged = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    const QStringList out = analyze({"--quiet", "--view", "3", "--input-filter", saved});
    ASSERT_EQ(logged.size(), 3);
    ASSERT_EQ(out.size(), 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[i].section(',', 1), logged[i].section(',', 1)) << "sweep " << i + 1;
        // The window stamps a sweep when it has handled its end, the analyzer by the start in
        // the file and the audio before the end: apart by the capture's delay at most.
        const auto stamp = [](const QString &line) {
            return QDateTime::fromString(line.section(',', 0, 0).remove('"'), "yyyyMMddHHmmss");
        };
        EXPECT_LE(std::abs(stamp(out[i]).secsTo(stamp(logged[i]))), 2) << logged[i].toStdString();
    }
    EXPECT_EQ(finalReadouts(out[3]), shown);
}

TEST(Recordings, AFullDiskEndsTheSaveWithAReadableFileAndSaysSo)
{
    const auto samples = test::SyntheticWatch(watch()).Samples(0, 6 * kBufferSamples);
    // WAV, and FLAC (the suggested format), whose encoder holds back what it has not yet written.
    for (const auto &[name, limit] : {std::pair{"cut.wav", 100000}, std::pair{"cut.flac", 30000}}) {
        SCOPED_TRACE(name);
        Window w;
        const QString path = w.dir.filePath(name);
        {
            FileSizeLimit full(limit);
            ASSERT_TRUE(full.active());
            ASSERT_TRUE(w.form->Recordings1->startSaving(path));
            for (int i = 0; i < 6; ++i)
                w.deliver({samples.begin() + i * kBufferSamples, samples.begin() + (i + 1) * kBufferSamples});
            QCoreApplication::processEvents(); // the message, once the buffer was handled
        }
        EXPECT_FALSE(w.form->Recordings1->saving());
        EXPECT_FALSE(w.form->Recordings1->SaveAudio1->isChecked());
        ASSERT_EQ(w.errors.size(), 1u);
        const QString &message = w.errors[0];
        EXPECT_TRUE(message.contains("Saving audio stopped")) << message.toStdString();
        std::vector<int16_t> back;
        std::string error;
        ASSERT_TRUE(AudioFile::readAll(path.toStdString(), back, error)) << error;
        EXPECT_GT(back.size(), static_cast<size_t>(kBufferSamples)) << "what fitted on the disk";
        EXPECT_TRUE(std::equal(back.begin(), back.end(), samples.begin()));
        // The message tells how much was kept.
        const double kept = message.section("The ", -1).section(' ', 0, 0).toDouble();
        EXPECT_NEAR(kept, back.size() / 44100.0, 0.05) << message.toStdString();
        EXPECT_EQ(w.state().writeIndex, 6 * kBufferSamples) << "the measurement goes on";
    }
}

TEST(Recordings, AChosenFolderIsKeptOnceChanged)
{
    Window w;
    QTemporaryDir chosen;
    w.restart();
    EXPECT_FALSE(w.ini().contains("RecordFolder"));
    w.form->Recordings1->chooseFolder(chosen.path());
    EXPECT_EQ(w.form->recordFolder, chosen.path() + "/");
    w.restart();
    EXPECT_EQ(w.form->recordFolder, chosen.path() + "/");
    EXPECT_TRUE(w.ini().contains("[Tamsel]\r\nRecordFolder=" + chosen.path().toUtf8() + "/\r\n"))
        << w.ini().toStdString();
}
