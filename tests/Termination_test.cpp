// The real program stopped from outside while it starts: here under the message box that
// says there is no sound server, which holds the start-up in an event loop of its own.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

TEST(Termination, SigtermDuringStartUpEndsNormallyAndKeepsTheSettings)
{
    QTemporaryDir dir;
    // A copy of the program in a folder of its own, so its settings file lands there.
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-server"));
    QProcess quorlen;
    quorlen.setProcessEnvironment(env);
    quorlen.start(program, {});
    ASSERT_TRUE(quorlen.waitForStarted());
    QThread::msleep(1500);
    ASSERT_EQ(quorlen.state(), QProcess::Running) << "the box waits for an answer";

    ::kill(static_cast<pid_t>(quorlen.processId()), SIGTERM);
    ASSERT_TRUE(quorlen.waitForFinished(15000));
    EXPECT_EQ(quorlen.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(quorlen.exitCode(), 0);
    QFile settings(dir.filePath("Quorlen.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("NoiseLevel=1000\r\n"));
}
