#pragma once
// The headless analyzer run as a process, as users and scripts run it: its exit status, its
// lines on standard output and what it said on standard error.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tamsel::test {

struct AnalyzerRun {
    int exitCode = -1; // -1: it crashed or did not end
    QStringList lines;
    QString errors;
};

inline const QString kAnalyzer = QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze");

// What a process that has ended gave.
inline AnalyzerRun endedRun(QProcess &process)
{
    AnalyzerRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline AnalyzerRun run(const QString &program, const QStringList &arguments,
                       const QProcessEnvironment &environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    // Generous: a sanitizer build on a loaded machine runs far slower than real time.
    if (!process.waitForFinished(600000)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, QStringLiteral("the analyzer did not finish within 10 minutes")};
    }
    return endedRun(process);
}

inline AnalyzerRun analyze(const QStringList &arguments, const QProcessEnvironment &environment = {})
{
    return run(kAnalyzer, arguments, environment);
}

} // namespace tamsel::test
