// Recordings in the window: a recording opened in place of the live capture measures as the
// --wav replay does, a file that is not audio is refused while the capture goes on, and the
// audio saved from the window measures as the window did, survives a full disk and never
// replaces an earlier save.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sndfile.h>

#include "FileSizeLimit.h"
#include "WindowDrive.h"
#include "app/recordings/RecordingSource.h"
#include "app/recordings/RecordingsMenu.h"
#include "capture/AudioFile.h"
#include "recording/AudioWriter.h"
#include "recording/CsvLine.h"
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
    return {form.bpss->caption(),          QString::number(form.spd->value()),
            form.katatime->caption(),      QString::number(form.kaku->value()),
            form.StatusBar1->panelText(2), form.StatusBar1->panelText(4),
            form.StatusBar1->panelText(6)};
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

// The buffers queued at the scripted service come back, so that a switch can go on.
void cycleBuffers(Window &w)
{
    for (int i = 0; i < 4; ++i)
        w.deliver(std::vector<int16_t>(kBufferSamples, 7));
    QCoreApplication::processEvents();
}

} // namespace

TEST(Recordings, OpenRecordingMeasuresAsTheReplayAndLiveInputReturns)
{
    QTemporaryDir dir;
    const QString wav = writeWav(dir.filePath("watch.wav"), SyntheticWatch(watch()).Samples(0, 23 * 44100));

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
    EXPECT_EQ(w.form->windowTitle(), "Tamsel – watch.wav");
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
    EXPECT_TRUE(w.errors[0].startsWith("Cannot read the recording " + notes)) << w.errors[0].toStdString();
    EXPECT_EQ(w.form->WinWaveIn1->service(), w.service);
    w.deliver(std::vector<int16_t>(kBufferSamples, 50));
    EXPECT_EQ(w.state().writeIndex, kBufferSamples);
    EXPECT_EQ(w.form->windowTitle(), "Tamsel");
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
    std::vector<std::string> lines;
    w.form->OnSweepEnd = [&] {
        const TStatusBar &status = *w.form->StatusBar1;
        lines.push_back(buildCsvLine("", w.state().beatsPerSecond, status.panelText(4).toStdString(),
                                     status.panelText(2).toStdString(), status.panelText(6).toStdString(),
                                     w.state().rateRatio));
    };
    WatchFeed feed(watch());
    feed.atLeast(w, 21 * 44100);
    w.form->OnSweepEnd = nullptr;
    recordings.SaveAudio1->trigger(); // chosen again: stops
    EXPECT_FALSE(recordings.saving());
    ASSERT_EQ(lines.size(), 2u);

    QProcess analyzer;
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"), {"--view", "10", path});
    ASSERT_TRUE(analyzer.waitForFinished(60000));
    ASSERT_EQ(analyzer.exitCode(), 0) << analyzer.readAllStandardError().toStdString();
    const QStringList out =
        QString::fromUtf8(analyzer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(out.size(), 3);
    for (int i = 0; i < 2; ++i) {
        const qsizetype comma = out[i].indexOf(',');
        EXPECT_EQ(out[i].mid(comma + 1), QString::fromStdString(lines[static_cast<size_t>(i)]).mid(3));
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

TEST(Recordings, AFullDiskEndsTheSaveWithAReadableFileAndSaysSo)
{
    Window w;
    const QString path = w.dir.filePath("cut.wav");
    const auto samples = SyntheticWatch(watch()).Samples(0, 6 * kBufferSamples);
    {
        FileSizeLimit full(100000);
        ASSERT_TRUE(full.active());
        ASSERT_TRUE(w.form->Recordings1->startSaving(path));
        for (int i = 0; i < 6; ++i)
            w.deliver({samples.begin() + i * kBufferSamples, samples.begin() + (i + 1) * kBufferSamples});
        QCoreApplication::processEvents(); // the message, once the buffer was handled
    }
    EXPECT_FALSE(w.form->Recordings1->saving());
    EXPECT_FALSE(w.form->Recordings1->SaveAudio1->isChecked());
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.errors[0].contains("Saving audio stopped")) << w.errors[0].toStdString();
    std::vector<int16_t> back;
    std::string error;
    ASSERT_TRUE(AudioFile::readAll(path.toStdString(), back, error)) << error;
    EXPECT_GT(back.size(), 4u * kBufferSamples) << "what fitted on the disk";
    EXPECT_TRUE(std::equal(back.begin(), back.end(), samples.begin()));
    EXPECT_EQ(w.state().writeIndex, 6 * kBufferSamples) << "the measurement goes on";
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
