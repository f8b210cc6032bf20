// The window in everyday use: a replay that ends keeps its last readings, a flag given on the
// command line lasts one run, the keyboard reaches what the menus do, a recording dropped on
// the window opens, and the clock correction can be taken back.
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>

#include "MicrophoneScenarios.h"
#include "WindowDrive.h"
#include "app/HelpMenu.h"
#include "app/recordings/RecordingSource.h"
#include "app/recordings/RecordingsMenu.h"
#include "capture/FileSoundService.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

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

// A watch as an ordinary microphone hears it: +4.6 s/day at 21 600 bph, with hum and hiss.
std::vector<int16_t> heardWatch(double seconds)
{
    for (const MicrophoneScenario &s : microphoneScenarios(3))
        if (s.name == "honest21600") {
            std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
            tamsel::SyntheticWatch(s.params).generate(0, samples.data(), samples.size());
            return samples;
        }
    ADD_FAILURE() << "no scenario";
    return {};
}

QStringList readouts(const TForm1 &form)
{
    return {form.BackPanel1->bpss->caption(),          QString::number(form.BackPanel1->spd->value()),
            form.BackPanel1->katatime->caption(),      QString::number(form.BackPanel1->kaku->value()),
            form.StatusBar1->panelText(2), form.StatusBar1->panelText(4),
            form.StatusBar1->panelText(6)};
}

void drop(QWidget &window, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPointF at(200, 200);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted()) << "the window takes a dropped file";
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &dropped);
    QCoreApplication::processEvents();
}

} // namespace

TEST(WindowUse, AReplayThatEndsKeepsItsLastReadingsAndTheWindowItsSize)
{
    QTemporaryDir dir;
    const QString wav = writeWav(dir.filePath("watch.wav"), heardWatch(12));
    std::vector<QString> errors;
    SetExceptionSink([&](const QString &text) { errors.push_back(text); });
    {
        QString error;
        TForm1Design design;
        design.settingsFile = dir.filePath("Quorlen.ini");
        design.recording = QStringLiteral("watch.wav");
        TForm1 form(recordingService(wav, false, &error, false), design);
        form.InputFilter1->trigger();
        form.show();
        const int width = form.width();

        QStringList beforeEnd, places;
        int buffers = 0, afterEnd = 0;
        form.capture().OnBufferQueued = [&](int) {
            ++buffers;
            places << form.StatusBar1->replayNote();
            if (form.Recordings1->replay().ended())
                ++afterEnd;
            else
                beforeEnd = readouts(form);
        };
        // The recording, then 15 s of the silence after it.
        for (int i = 0; i < 400000 && afterEnd < 60; ++i)
            QCoreApplication::processEvents();
        ASSERT_EQ(afterEnd, 60);
        EXPECT_EQ(places.front(), "0:00 / 0:12");
        EXPECT_TRUE(places.contains("0:06 / 0:12"));
        EXPECT_EQ(places.back(), "End of recording");

        EXPECT_EQ(beforeEnd[0], " 06.0") << "the watch was read before the end";
        EXPECT_EQ(readouts(form), beforeEnd) << "the last readings stay";
        EXPECT_EQ(form.StatusBar1->replayNote(), "End of recording");
        EXPECT_EQ(form.StatusBar1->watchNote(), QString()) << "no word on the silence after it";
        EXPECT_FALSE(form.StartButton->isChecked());
        EXPECT_EQ(form.width(), width);
        EXPECT_TRUE(errors.empty());

        // Start plays the recording again from its start, and measures it.
        form.StartStop1->trigger();
        EXPECT_TRUE(form.StartButton->isChecked());
        places.clear();
        for (int i = 0; i < 400000 && places.size() < 32; ++i)
            QCoreApplication::processEvents();
        ASSERT_EQ(places.size(), 32);
        EXPECT_EQ(places.front(), "0:00 / 0:12");
        EXPECT_EQ(places.back(), "0:07 / 0:12");
        EXPECT_TRUE(form.StartButton->isChecked());
        EXPECT_EQ(readouts(form)[0], " 06.0") << "the watch read again";
        EXPECT_NE(readouts(form)[6], QString());
        form.capture().OnBufferQueued = nullptr;

        // However long the notes, the window keeps its size.
        form.StatusBar1->setRecordingEnded(false);
        form.StatusBar1->setWatchNote(QStringLiteral("Weak signal: the watch is barely heard"));
        form.StatusBar1->setClockNote(QStringLiteral("Time signal: 29 s left"));
        form.StatusBar1->setReplayNote(QStringLiteral("1:23:45 / 2:00:00"));
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        EXPECT_EQ(form.width(), width);
    }
    SetExceptionSink(nullptr);
}

TEST(WindowUse, ANewSourceStartsWithEmptyReadoutsUntilItsSoundGivesAReading)
{
    // A watch read, then a recording whose 28 800 bph watch is too faint for the threshold.
    Window w;
    WatchFeed feed;
    feed.buffers(w, 40);
    const QStringList read = readouts(*w.form);
    ASSERT_EQ(read[0], " 05.0");
    ASSERT_NE(read[6], QString()) << "the rate was shown";
    WatchParams faint;
    faint.beatsPerHour = 28800;
    faint.peakLevel = 2000;
    const QString wav =
        writeWav(w.dir.filePath("faint.wav"), test::SyntheticWatch(faint).Samples(0, 12 * 44100));
    w.form->Recordings1->paced = false;
    ASSERT_TRUE(w.form->Recordings1->openRecording(wav));
    cycleBuffers(w);
    int buffers = 0;
    w.form->capture().OnBufferQueued = [&](int) { ++buffers; };
    for (int i = 0; i < 100000 && buffers < 40; ++i)
        QCoreApplication::processEvents();
    w.form->capture().OnBufferQueued = nullptr;
    ASSERT_EQ(buffers, 40);
    EXPECT_EQ(readouts(*w.form), QStringList({" 00.0", "0", "00.0", "0", "", "", ""}))
        << "nothing of the watch read before";
    // A watch the threshold misses is pointed to the input filter once its beats are heard.
    const QString note = w.form->StatusBar1->watchNote();
    EXPECT_TRUE(note == "No watch heard" || note == "Nothing crosses the threshold: try Option ▸ Input filter")
        << note.toStdString();

    // Back to the watch: its readings replace the note.
    w.form->Recordings1->LiveInput1->trigger();
    for (int i = 0; i < 100 && w.form->WinWaveIn1->service() != w.service; ++i)
        QCoreApplication::processEvents();
    ASSERT_EQ(w.form->WinWaveIn1->service(), w.service);
    QCoreApplication::processEvents();
    feed.buffers(w, 40);
    EXPECT_EQ(readouts(*w.form)[0], " 05.0");
    EXPECT_NE(readouts(*w.form)[6], QString());
    EXPECT_EQ(w.form->StatusBar1->watchNote(), QString());
}

TEST(WindowUse, AfterARecordingThatCannotBeReadStartStaysUpAndSaysHowToGoOn)
{
    QTemporaryDir dir;
    std::vector<QString> errors, messages;
    SetExceptionSink([&](const QString &text) { errors.push_back(text); });
    SetMessageSink([&](const QString &text) { messages.push_back(text); });
    {
        FileSoundOptions unreadable;
        unreadable.error = "notes.wav is not a recording Tamsel can read (Format not recognised.)";
        TForm1Design design;
        design.settingsFile = dir.filePath("Quorlen.ini");
        TForm1 form(std::make_unique<FileSoundService>(std::move(unreadable)), design);
        form.show();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_FALSE(form.StartButton->isChecked());
        EXPECT_TRUE(form.StopButton->isChecked());
        form.StartStop1->trigger();
        EXPECT_FALSE(form.StartButton->isChecked()) << "nothing to start";
        EXPECT_TRUE(form.StopButton->isChecked());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].contains("Open recording")) << messages[0].toStdString();
    }
    SetExceptionSink(nullptr);
    SetMessageSink(nullptr);
}

TEST(WindowUse, AFlagOnTheCommandLineLastsOneRunAndTheMenuIsWhatIsKept)
{
    // The program itself, stopped from outside once started: its settings land beside it.
    QTemporaryDir dir;
    const QString wav = writeWav(dir.filePath("watch.wav"), heardWatch(3));
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    auto run = [&](const QStringList &arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-server"));
        QProcess quorlen;
        quorlen.setProcessEnvironment(env);
        quorlen.start(program, arguments + QStringList{wav});
        ASSERT_TRUE(quorlen.waitForStarted());
        QThread::msleep(1500);
        ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
        ASSERT_TRUE(quorlen.waitForFinished(15000));
        EXPECT_EQ(quorlen.exitCode(), 0);
    };
    auto ini = [&] {
        QFile file(dir.filePath("Quorlen.ini"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    };
    run({});
    const QByteArray plain = ini();
    ASSERT_TRUE(plain.contains("[Init]"));
    run({"--input-filter", "--auto-threshold"});
    EXPECT_EQ(ini(), plain);

    // A choice from the menu during such a run is kept.
    Window w;
    w.form->runFlags.turnOn(w.form->InputFilter1);
    w.form->runFlags.turnOn(w.form->AutoThreshold1);
    EXPECT_TRUE(w.form->InputFilter1->isChecked());
    w.form->AutoThreshold1->trigger(); // off
    w.form->AutoThreshold1->trigger(); // on again
    w.restart();
    EXPECT_FALSE(w.form->InputFilter1->isChecked());
    EXPECT_TRUE(w.form->AutoThreshold1->isChecked());
    EXPECT_TRUE(w.ini().contains("[Tamsel]\r\nAutoThreshold=1\r\n")) << w.ini().toStdString();
}

TEST(WindowUse, TheKeyboardReachesTheMenusItems)
{
    Window w;
    TForm1 &f = *w.form;
    const std::pair<QAction *, const char *> keys[] = {
        {f.Recordings1->OpenRecording1, "Ctrl+O"},
        {f.Recordings1->SaveAudio1, "Ctrl+S"},
        {f.Exit1, "Ctrl+Q"},
        {f.StartStop1, "Space"},
        {f.Help1->Guide1, "F1"},
        {f.Trend1, "Ctrl+T"},
    };
    for (const auto &[action, key] : keys) {
        EXPECT_EQ(action->shortcut().toString(), QString::fromLatin1(key))
            << action->objectName().toStdString();
        bool inMenu = false;
        for (QObject *shown : action->associatedObjects())
            inMenu = inMenu || qobject_cast<QMenu *>(shown);
        EXPECT_TRUE(inMenu) << action->objectName().toStdString() << " is shown in a menu";
    }
    // Help is the menu bar's last entry, after About.
    const QList<QAction *> bar = f.menuBar()->actions();
    EXPECT_EQ(bar.back()->menu()->objectName(), "Help1");
    EXPECT_EQ(bar[bar.size() - 2], f.About2);

    // Space stops and starts as the buttons do: a start is a new measurement.
    WatchFeed feed;
    feed.buffers(w, 8);
    ASSERT_GT(w.state().writeIndex, 0);
    f.StartStop1->trigger();
    EXPECT_TRUE(f.StopButton->isChecked());
    EXPECT_FALSE(f.StartButton->isChecked());
    f.StartStop1->trigger();
    EXPECT_TRUE(f.StartButton->isChecked());
    EXPECT_EQ(w.state().writeIndex, 0);

    // From the build tree, F1 opens the guide in a window of its own, at "Measuring a watch".
    f.Help1->Guide1->trigger();
    ASSERT_TRUE(w.errors.empty()) << w.errors[0].toStdString();
    ASSERT_NE(f.Help1->GuideView, nullptr);
    EXPECT_TRUE(f.Help1->GuideView->isVisible());
    EXPECT_TRUE(f.Help1->GuideView->isWindow());
    EXPECT_EQ(f.Help1->GuideView->textCursor().block().text(), "Measuring a watch");
    EXPECT_GT(f.Help1->GuideView->verticalScrollBar()->value(), 0) << "scrolled down to that section";

    // Without an installed guide, a message says so.
    f.Help1->guide = w.dir.filePath("nowhere/README.md");
    f.Help1->Guide1->trigger();
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.errors[0].startsWith("The guide is not installed")) << w.errors[0].toStdString();
}

TEST(WindowUse, ARecordingDroppedOnTheWindowOpensAndOtherFilesAreRefused)
{
    Window w;
    const QString notes = w.dir.filePath("notes.txt");
    QFile text(notes);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("A shopping list.\n");
    text.close();
    drop(*w.form, notes);
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.errors[0].startsWith(notes + " is not a recording Tamsel can read"));
    EXPECT_EQ(w.form->WinWaveIn1->service(), w.service) << "the capture in use goes on";

    drop(*w.form, writeWav(w.dir.filePath("watch.wav"), heardWatch(2)));
    cycleBuffers(w);
    EXPECT_EQ(w.form->windowTitle(), "watch.wav — Tamsel");
    EXPECT_EQ(w.errors.size(), 1u);
}

TEST(WindowUse, ResetClockCorrectionTakesTheClockBackToNone)
{
    Window w(QByteArray("[Init]\r\nHosei=2\r\n[Tamsel]\r\nClockCorrection=1.5\r\n"));
    ASSERT_EQ(w.state().samplesPerSecond, 44102);
    ASSERT_NE(w.form->StatusBar1->clockNote(), QString());
    w.form->ResetClock1->trigger();
    EXPECT_EQ(w.state().samplesPerSecond, 44100);
    EXPECT_EQ(w.state().clockCorrection, 0);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), QString());
    w.restart();
    EXPECT_EQ(w.state().samplesPerSecond, 44100);
    EXPECT_EQ(w.state().clockCorrection, 0);
    EXPECT_TRUE(w.ini().contains("Hosei=0\r\n"));
}
