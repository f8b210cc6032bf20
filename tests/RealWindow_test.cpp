// The program as a user runs it: the real executable in a real X server, hearing a watch
// through a real sound server, stopped from outside with SIGTERM. Runs only inside
// tests/e2e/real_window.sh, which provides the X server and the sound server.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>

#include "capture/SyntheticWatch.h"

using namespace tamsel;

namespace {

QMap<QString, QString> readReadouts(const QString &path)
{
    QMap<QString, QString> values;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        for (const QString &line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
            values.insert(line.section('=', 0, 0), line.section('=', 1));
    return values;
}

} // namespace

TEST(RealWindow, MeasuresAWatchHeardThroughTheSoundServerAndStopsCleanly)
{
    if (!qEnvironmentVariableIsSet("TAMSEL_REAL_WINDOW"))
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

    // A copy of the program in a folder of its own, so its settings file lands there.
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    QProcess quorlen;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORLEN_READOUT_FILE", dir.filePath("readouts.txt"));
    env.remove("QT_QPA_PLATFORM"); // the real X server
    quorlen.setProcessEnvironment(env);
    quorlen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    quorlen.start(program, {});
    ASSERT_TRUE(quorlen.waitForStarted());
    QThread::sleep(1);

    QProcess player;
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    // The beat rate is counted in the second and third second of the sweep; then the
    // averaged rate updates every second.
    player.waitForFinished(120000);
    ASSERT_EQ(quorlen.state(), QProcess::Running) << "the program must still run";

    const QString shot = qEnvironmentVariable("TAMSEL_SCREENSHOT");
    if (!shot.isEmpty()) {
        QProcess grab;
        grab.start("sh", {"-c", "xwd -root -silent | convert xwd:- -crop 817x437+0+0 +repage \"$0\"", shot});
        grab.waitForFinished(30000);
        EXPECT_TRUE(QFile::exists(shot)) << "screenshot";
    }

    ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
    ASSERT_TRUE(quorlen.waitForFinished(15000)) << "SIGTERM must end the program";
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorlen.exitCode(), 0);

    const auto readouts = readReadouts(dir.filePath("readouts.txt"));
    ASSERT_FALSE(readouts.isEmpty()) << "the window did not wind down normally";
    EXPECT_EQ(readouts.value("bpss"), " 05.0");
    EXPECT_EQ(readouts.value("beatsPerSecond"), "5");
    EXPECT_NEAR(readouts.value("spd").toInt(), 8, 2);
    EXPECT_NEAR(readouts.value("panel6").section(' ', 0, 0).toDouble(), 8, 1.5)
        << readouts.value("panel6").toStdString();
    EXPECT_EQ(readouts.value("katatime"), "00.0");
    EXPECT_EQ(readouts.value("lostSamples"), "0");
    // Stopped from outside, it still kept its settings.
    EXPECT_TRUE(QFile::exists(dir.filePath("Quorlen.ini")));
}
