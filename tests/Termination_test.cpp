// The real program stopped from outside while it starts: under the message box that says there
// is no sound server, or the one that says the settings file cannot be read, each of which
// holds the start-up in an event loop of its own.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

namespace {

// A copy of the program in `dir`, so its settings file lands there, started without a sound
// server and stopped with SIGTERM once its first box waits for an answer.
void runUntilSigterm(QProcess &quorlen, const QTemporaryDir &dir, const QStringList &arguments)
{
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-server"));
    quorlen.setProcessEnvironment(env);
    quorlen.start(program, arguments);
    ASSERT_TRUE(quorlen.waitForStarted());
    QThread::msleep(1500);
    ASSERT_EQ(quorlen.state(), QProcess::Running) << "the box waits for an answer";
    ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
    ASSERT_TRUE(quorlen.waitForFinished(15000));
}

} // namespace

TEST(Termination, SigtermDuringStartUpEndsNormallyAndKeepsTheSettings)
{
    QTemporaryDir dir;
    QProcess quorlen;
    runUntilSigterm(quorlen, dir, {});
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorlen.exitCode(), 0);
    QFile settings(dir.filePath("Quorlen.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("NoiseLevel=1000\r\n"));
}

TEST(Termination, SigtermUnderTheBoxOfAnUnreadableSettingsFileEndsCleanly)
{
    // A folder where the settings file should be: the box at start says why it cannot be read,
    // and saving at the end fails too, after the signal, while the demo's capture had opened.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath("Quorlen.ini")));
    QProcess quorlen;
    runUntilSigterm(quorlen, dir, {"--demo"});
    const QString said = QString::fromLocal8Bit(quorlen.readAllStandardError());
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit) << said.toStdString();
    EXPECT_EQ(quorlen.exitCode(), 0);
    EXPECT_TRUE(
        said.contains("Quorlen: Cannot open the file " + dir.filePath("Quorlen.ini") + " (Is a directory)"))
        << said.toStdString();
    EXPECT_EQ(said.count("Quorlen: Cannot open the file"), 2)
        << "the save's failure too, with no box to wait on";
}
