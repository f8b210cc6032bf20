#include "tools/LongRunOutput.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

#include "support/RangedOption.h"
#include "tools/Report.h"
#include "tools/ResultOutput.h"

namespace tamsel {

namespace {

// A stamp's civil time, as the clock showed it.
QDateTime civilTime(int64_t stamp)
{
    const int64_t days = stamp / 86400;
    return QDateTime(QDate(1970, 1, 1).addDays(days),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(stamp - days * 86400) * 1000));
}

// The first line of a log with a measured rate (read no further than that line).
std::optional<CsvSweep> firstMeasured(const QByteArray &text)
{
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0)
            end = text.size();
        const auto sweep = parseCsvLine(text.mid(from, end - from).trimmed().toStdString());
        if (sweep && sweep->measured())
            return sweep;
        from = end + 1;
    }
    return std::nullopt;
}

} // namespace

void LongRunOutput::sweepLine(const std::string &line)
{
    if (const auto sweep = parseCsvLine(line))
        if (const auto point = points_.point(*sweep)) {
            firstSweep(*sweep);
            run_.add(*point);
        }
}

void LongRunOutput::firstSweep(const CsvSweep &sweep)
{
    if (firstStamp_)
        return;
    firstStamp_ = sweep.stamp;
    facts_.beatsPerHour = sweep.beatsPerSecond * 3600;
}

bool LongRunOutput::finish()
{
    // The run began one sweep before its first sweep end.
    if (firstStamp_)
        facts_.start = civilTime(*firstStamp_).addMSecs(-std::llround(run_.firstSweepSeconds() * 1000));
    // The summary is printed even when the report could not be written: it holds good.
    const QString error = reportPath_.isEmpty() ? QString() : writeReport(reportPath_, run_, facts_);
    if (!error.isEmpty())
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return writeResults(run_.summary.line() + '\n') && error.isEmpty();
}

int analyzeCsvLog(const QString &path, const QString &reportPath, const ReportFacts &facts)
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
    LongRunOutput output(reportPath, facts);
    output.facts().input = QStringLiteral("CSV log ") + QFileInfo(path).fileName();
    if (const auto first = firstMeasured(text))
        output.firstSweep(*first);
    const std::string error = readCsvLog(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                         [&output](const SweepPoint &point) { output.add(point); });
    if (!error.empty())
        commandLineError(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
    return output.finish() ? 0 : kWriteFailed;
}

} // namespace tamsel
