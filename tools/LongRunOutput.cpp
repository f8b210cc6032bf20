#include "tools/LongRunOutput.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

#include "recording/ReadingText.h"
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

void LongRunOutput::sweepEnded(const SweepRecord &sweep, const QDateTime &endedAt)
{
    if (seconds_)
        *seconds_ += static_cast<double>(sweep.endSample - lastEnd_) / sweep.samplesPerSecond;
    lastEnd_ = sweep.endSample;
    // Restarted, or audio lost: the sweeps either side are not one stretch of the watch.
    if (lastRestarts_ && sweep.restarts != *lastRestarts_)
        gap();
    lastRestarts_ = sweep.restarts;
    const Reading &shown = sweep.reading;
    if (sweep.beatsPerSecond <= 0 || !shown.rateValid || !shown.beatErrorValid) {
        gap(); // nothing measured in this sweep
        return;
    }
    if (!seconds_) {
        seconds_ = 0;
        firstMeasured(endedAt, shownValue(kBeatRatePicture, sweep.beatsPerSecond));
    }
    // The measures as the log has them, so that a run and its log sum up alike.
    SweepPoint point;
    point.seconds = *seconds_;
    point.rate = shownValue(kRatePicture, shown.secondsPerDay);
    point.amplitude = shown.amplitudeValid ? shown.amplitude : std::nan("");
    point.beatError = shownValue(kBeatErrorPicture, shown.beatErrorMs);
    run_.add(point);
}

void LongRunOutput::firstSweep(const CsvSweep &sweep)
{
    if (!firstEnd_)
        firstMeasured(civilTime(sweep.stamp), sweep.beatsPerSecond);
}

void LongRunOutput::firstMeasured(const QDateTime &endedAt, double beatsPerSecond)
{
    firstEnd_ = endedAt;
    facts_.beatsPerHour = beatsPerSecond * 3600;
}

bool LongRunOutput::finish()
{
    // The run began one sweep before its first sweep end.
    if (firstEnd_)
        facts_.start = firstEnd_->addMSecs(-std::llround(run_.firstSweepSeconds() * 1000));
    // The summary is printed even when the report could not be written: it holds good.
    const QString error = reportPath_.isEmpty() ? QString() : writeReport(reportPath_, run_, facts_, beats_ ? &*beats_ : nullptr);
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
