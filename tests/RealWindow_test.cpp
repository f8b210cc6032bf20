// The program as a user runs it in a real X server with a real sound server: the window hearing
// a watch through the server, and the real executable stopped from outside with SIGTERM. Runs
// only inside tests/e2e/real_window.sh, which provides the X server and the sound server.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>

#include "RunUntil.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/SyntheticWatch.h"

using namespace tamsel;
using tamsel::test::runUntil;

namespace {

bool realWindow()
{
    return qEnvironmentVariableIsSet("TAMSEL_REAL_WINDOW");
}

} // namespace

TEST(RealWindow, MeasuresAWatchHeardThroughTheSoundServer)
{
    if (!realWindow())
        GTEST_SKIP() << "needs the X server and sound server of tests/e2e/real_window.sh";
    QTemporaryDir dir;
    // 18 000 beats per hour, gaining 8 s/day: a second of silence, then 74 s of ticking,
    // so that the second sweep of the 60-second view (the first one that starts with the
    // watch already ticking) counts the beat rate and then measures for some seconds.
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 8;
    params.beatErrorMs = 0;
    params.firstPeak = 44100 + 2000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(44100 * 75);
    watch.generate(0, samples.data(), samples.size());
    std::fill_n(samples.begin(), 44100, int16_t{0});
    const QString wav = dir.filePath("watch.wav");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(wav.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);

    std::vector<QString> errors;
    SetExceptionSink([&errors](const QString &text) { errors.push_back(text); });
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    auto form = std::make_unique<TForm1>(nullptr, design);
    form->show();
    runUntil([&] { return form->WinWaveIn1->Started(); }, 5000);
    ASSERT_TRUE(form->WinWaveIn1->Started()) << (errors.empty() ? "" : errors[0].toStdString());

    QProcess player;
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    // The beat rate is counted in the second and third second of the sweep; then the
    // averaged rate updates every second.
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 120000);

    const QString shot = qEnvironmentVariable("TAMSEL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QProcess grab;
        const QRect frame = form->frameGeometry(); // where the X server put it
        const QString crop = QStringLiteral("%1x%2+%3+%4")
                                 .arg(frame.width())
                                 .arg(frame.height())
                                 .arg(frame.x())
                                 .arg(frame.y());
        grab.start("sh", {"-c", "xwd -root -silent | convert xwd:- -crop \"$1\" +repage \"$0\"", shot, crop});
        while (!grab.waitForFinished(50))
            QCoreApplication::processEvents(); // the window paints while it is grabbed
        EXPECT_TRUE(QFile::exists(shot)) << "screenshot";
    }
    EXPECT_TRUE(errors.empty()) << errors.front().toStdString();
    EXPECT_EQ(form->BackPanel1->bpss->caption(), " 05.0");
    EXPECT_EQ(form->state.beatsPerSecond, 5);
    EXPECT_NEAR(form->BackPanel1->spd->value(), 8, 2);
    EXPECT_NEAR(form->StatusBar1->panelText(6).section(' ', 0, 0).toDouble(), 8, 1.5)
        << form->StatusBar1->panelText(6).toStdString();
    EXPECT_EQ(form->BackPanel1->katatime->caption(), "00.0");
    EXPECT_EQ(form->lostSamples(), 0);
    form->close();
    runUntil([&] { return !form->WinWaveIn1->Opened(); }, 5000);
    form.reset();
    SetExceptionSink(nullptr);
}

TEST(RealWindow, TheProgramRunsUntilSigtermAndKeepsItsSettings)
{
    if (!realWindow())
        GTEST_SKIP() << "needs the X server and sound server of tests/e2e/real_window.sh";
    QTemporaryDir dir;
    // A copy of the program in a folder of its own, so its settings file lands there.
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    QProcess quorlen;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM"); // the real X server
    quorlen.setProcessEnvironment(env);
    quorlen.start(program, {});
    ASSERT_TRUE(quorlen.waitForStarted());
    QThread::sleep(3);
    ASSERT_EQ(quorlen.state(), QProcess::Running) << "the program must still run";

    ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
    ASSERT_TRUE(quorlen.waitForFinished(15000)) << "SIGTERM must end the program";
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorlen.exitCode(), 0);
    // It reached the sound server (any failure is said on its standard error stream), and
    // though stopped from outside it kept its settings.
    const QString said = QString::fromLocal8Bit(quorlen.readAllStandardError());
    EXPECT_FALSE(said.contains("Quorlen: ")) << said.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("Quorlen.ini")));
}
