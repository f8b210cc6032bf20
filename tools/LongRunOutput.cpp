#include "tools/LongRunOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "app/RangedOption.h"
#include "tools/Report.h"
#include "tools/ResultOutput.h"

namespace tamsel {

void LongRunOutput::sweepLine(const std::string &line)
{
    if (const auto sweep = parseCsvLine(line))
        if (const auto point = points_.point(*sweep))
            run_.add(*point);
}

bool LongRunOutput::finish(const QString &source)
{
    // The summary is printed even when the report could not be written: it holds good.
    const QString error = reportPath_.isEmpty() ? QString() : writeReport(reportPath_, run_, source);
    if (!error.isEmpty())
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return writeResults(run_.summary.line() + '\n') && error.isEmpty();
}

int analyzeCsvLog(const QString &path, const QString &reportPath)
{
    // Opening a named pipe would wait for a writer: only a file is read.
    if (const QFileInfo info(path); info.exists() && !info.isFile())
        commandLineError(
            QStringLiteral("%1 is not a CSV log Tamsel can read (%2, not a file)")
                .arg(QDir::toNativeSeparators(path),
                     info.isDir() ? QStringLiteral("a folder") : QStringLiteral("a named pipe or device")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        commandLineError(
            QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        commandLineError(
            QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    LongRunOutput output(reportPath);
    const std::string error = readCsvLog(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                         [&output](const SweepPoint &point) { output.add(point); });
    if (!error.empty())
        commandLineError(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
    return output.finish(QFileInfo(path).fileName()) ? 0 : kWriteFailed;
}

} // namespace tamsel
