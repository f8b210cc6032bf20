// quorlen-analyze --live as a night's logging runs it, in half a minute: a watch heard through a
// real sound server, its sweep lines as they end, the server restarted under it, and SIGTERM
// ending the run with FINAL, the report and the SUMMARY line; and the same on a machine without
// a display. Runs only inside tests/e2e/live_analyze.sh, which provides the sound server.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>

#include "capture/SyntheticWatch.h"

using namespace tamsel;

namespace {

void waitFor(QProcess &process, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        process.waitForReadyRead(std::max<int>(1, ms - static_cast<int>(clock.elapsed())));
}

// Forty seconds of an 18 000 bph watch, 8 s/day fast, after a second of silence.
QString writeWatch(const QTemporaryDir &dir)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 8;
    params.beatErrorMs = 0;
    params.firstPeak = 44100 + 2000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(44100 * 40);
    watch.generate(0, samples.data(), samples.size());
    std::fill_n(samples.begin(), 44100, int16_t{0});
    const QString wav = dir.filePath("watch.wav");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(wav.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return {};
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return wav;
}

void restartServer()
{
    QProcess restart;
    restart.start("bash", {qEnvironmentVariable("TAMSEL_PULSE_SERVER_SCRIPT"), "restart"});
    ASSERT_TRUE(restart.waitForFinished(30000));
}

// The server gone for `seconds`, then started again.
void serverOutage(int seconds)
{
    QProcess server;
    server.start("bash", {qEnvironmentVariable("TAMSEL_PULSE_SERVER_SCRIPT"), "stop"});
    ASSERT_TRUE(server.waitForFinished(30000));
    QThread::sleep(static_cast<unsigned long>(seconds));
    server.start("bash", {qEnvironmentVariable("TAMSEL_PULSE_SERVER_SCRIPT"), "start"});
    ASSERT_TRUE(server.waitForFinished(30000));
}

} // namespace

TEST(LiveAnalyze, LogsAWatchThroughAServerRestartUntilSigterm)
{
    if (!qEnvironmentVariableIsSet("TAMSEL_LIVE_ANALYZE"))
        GTEST_SKIP() << "needs the sound server of tests/e2e/live_analyze.sh";
    QTemporaryDir dir;
    const QString wav = writeWatch(dir);
    ASSERT_FALSE(wav.isEmpty());

    QProcess analyzer;
    const QString report = dir.filePath("night.svg");
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"),
                   {"--live", "--view", "3", "--duration", "1h", "--report", report});
    ASSERT_TRUE(analyzer.waitForStarted());
    QProcess player;
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    waitFor(analyzer, 12000);
    const QString before = QString::fromUtf8(analyzer.readAllStandardOutput());
    EXPECT_GE(before.count('\n'), 2) << "sweep lines while it runs";

    restartServer();
    player.waitForFinished(5000);
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    waitFor(analyzer, 14000);
    ASSERT_EQ(analyzer.state(), QProcess::Running) << "it survives the restart";
    const QString after = QString::fromUtf8(analyzer.readAllStandardOutput());
    EXPECT_GE(after.count('\n'), 2) << "sweep lines after the restart";

    ::kill(static_cast<pid_t>(analyzer.processId()), SIGTERM);
    ASSERT_TRUE(analyzer.waitForFinished(15000)) << "SIGTERM must end the run";
    player.kill();
    player.waitForFinished();
    EXPECT_EQ(analyzer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(analyzer.exitCode(), 0);
    const QStringList end =
        QString::fromUtf8(analyzer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(end.size(), 3);
    EXPECT_TRUE(end[end.size() - 3].startsWith("FINAL, 05.0,")) << end.join('\n').toStdString();
    EXPECT_TRUE(end[end.size() - 2].startsWith("SUMMARY,")) << end.join('\n').toStdString();
    EXPECT_TRUE(end.last().startsWith("CARD,")) << end.last().toStdString();
    const QString errors = QString::fromUtf8(analyzer.readAllStandardError());
    EXPECT_TRUE(errors.contains("Sound server lost")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("Sound server back")) << errors.toStdString();
    for (const QString &line : (before + after).split('\n', Qt::SkipEmptyParts))
        EXPECT_EQ(line.split(',').size(), 6) << line.toStdString();
    EXPECT_TRUE(QFile::exists(report));
}

// A mistyped --device ends the run before its first sample, naming the source and those there
// are, and leaves no report, no log and no snapshot behind.
TEST(LiveAnalyze, AMistypedSourceEndsTheRunBeforeItStarts)
{
    if (!qEnvironmentVariableIsSet("TAMSEL_LIVE_ANALYZE"))
        GTEST_SKIP() << "needs the sound server of tests/e2e/live_analyze.sh";
    QTemporaryDir dir;
    QProcess analyzer;
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"),
                   {"--live", "--device", "bogus", "--duration", "8", "--report", dir.filePath("x.pdf"),
                    "--record", dir.filePath("logs")});
    ASSERT_TRUE(analyzer.waitForFinished(30000));
    EXPECT_EQ(analyzer.exitCode(), 2);
    EXPECT_TRUE(analyzer.readAllStandardOutput().isEmpty());
    const QString errors = QString::fromUtf8(analyzer.readAllStandardError()).trimmed();
    EXPECT_TRUE(errors.startsWith("quorlen-analyze: --device bogus: ")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("benchmic")) << errors.toStdString();
    EXPECT_EQ(errors.count('\n'), 0) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("x.pdf")));
    EXPECT_TRUE(QDir(dir.filePath("logs")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// With no display and no Qt platform named, the run needs nothing but the sound server: the
// JSON lines come as the sweeps end, and the audio a server outage cost is counted in them,
// and said as the loss begins and as it ends, not four times a second.
TEST(LiveAnalyze, WithoutADisplayCountsTheAudioARestartLost)
{
    if (!qEnvironmentVariableIsSet("TAMSEL_LIVE_ANALYZE"))
        GTEST_SKIP() << "needs the sound server of tests/e2e/live_analyze.sh";
    QTemporaryDir dir;
    const QString wav = writeWatch(dir);
    ASSERT_FALSE(wav.isEmpty());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    QProcess analyzer;
    analyzer.setProcessEnvironment(env);
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"),
                   {"--live", "--view", "3", "--duration", "1h", "--json"});
    ASSERT_TRUE(analyzer.waitForStarted());
    QProcess player;
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    waitFor(analyzer, 8000);
    serverOutage(4);
    player.waitForFinished(5000);
    player.start("paplay", {wav});
    ASSERT_TRUE(player.waitForStarted());
    waitFor(analyzer, 8000);
    ::kill(static_cast<pid_t>(analyzer.processId()), SIGINT);
    ASSERT_TRUE(analyzer.waitForFinished(15000)) << "SIGINT must end the run";
    player.kill();
    player.waitForFinished();
    const QString errors = QString::fromUtf8(analyzer.readAllStandardError());
    EXPECT_EQ(analyzer.exitCode(), 0) << errors.toStdString();
    EXPECT_EQ(errors.count("Sound server lost"), 1) << errors.toStdString();
    EXPECT_EQ(errors.count("Sound server back"), 1) << errors.toStdString();
    EXPECT_LE(errors.count("Audio lost"), 2) << errors.toStdString();
    QStringList lines = QString::fromUtf8(analyzer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 5) << errors.toStdString();
    // The card's check last, then the sweeps and the final state.
    EXPECT_EQ(QJsonDocument::fromJson(lines.takeLast().toUtf8()).object()["type"].toString(), "card");
    int ratesBefore = 0, ratesAfter = 0;
    for (const QString &line : lines) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_EQ(object["type"].toString(), line == lines.last() ? "final" : "sweep") << line.toStdString();
        if (object["rate_s_per_day"].isDouble())
            ++(object["samples_lost"].toInteger() > 0 ? ratesAfter : ratesBefore);
    }
    EXPECT_GE(ratesBefore, 1) << lines.join('\n').toStdString();
    EXPECT_GE(ratesAfter, 1) << "measured again after the restart";
    const QJsonObject final = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    // A restart takes a fraction of a second to a few; whatever it took was filled in, and counted.
    EXPECT_GT(final["samples_lost"].toInteger(), 0) << lines.last().toStdString();
}
