#include "recording/Recorder.h"

#include <QDir>
#include <QFile>
#include <filesystem>

#include "recording/CsvLine.h"
#include "recording/RecordNames.h"
#include "recording/SnapshotFile.h"

namespace tamsel {

namespace {

QString noFolderText()
{
    return QStringLiteral("There is no folder for the recordings: neither the documents folder nor the "
                          "home folder is known.");
}

} // namespace

QString Recorder::counted(const QString &error)
{
    if (!error.isEmpty())
        ++failures_;
    return error;
}

QString Recorder::start(const QString &recordFolder)
{
    return counted(startLog(recordFolder));
}

QString Recorder::stop()
{
    return counted(log_.close());
}

QString Recorder::recordSweep(const SnapshotLayers &layers, const SnapshotOptions &options,
                              const SweepValues &values, const QString &recordFolder)
{
    return counted(saveSweep(layers, options, values, recordFolder));
}

QString Recorder::startLog(const QString &recordFolder)
{
    if (recordFolder.isEmpty())
        return noFolderText();
    // The system's own reason: a parent that cannot be written is "Permission denied", not
    // the missing folder the log would then report.
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(recordFolder).toStdString(), failure);
    if (failure)
        return QStringLiteral("Cannot create the folder %1: %2")
            .arg(QDir::toNativeSeparators(recordFolder), QString::fromStdString(failure.message()));
    // Two presses within one second, or two programs, share a stamp: the later log gets a suffix.
    const QString stamp = recordStamp(now());
    return log_.create([&](int n) { return csvLogPath(recordFolder, numbered(stamp, n)); });
}

QString Recorder::saveSweep(const SnapshotLayers &layers, const SnapshotOptions &options,
                            const SweepValues &values, const QString &recordFolder)
{
    QString text;
    if (options.printMeasurement)
        text = measurementText(now(), values.panels, values.sweep.beatsPerSecond);
    const QString stamp = recordStamp(now()); // read anew, after the text
    const QString snapshotError =
        recordFolder.isEmpty()
            ? noFolderText()
            : saveSnapshot(
                  composeSnapshot(layers, options, text),
                  [&](int n) { return snapshotPath(recordFolder, numbered(stamp, n), options.jpeg); },
                  options.jpeg);
    // The line is the sweep's measurement, worth keeping without its picture.
    const QString lineError = log_.appendLine(buildCsvLine(stamp.toStdString(), values.sweep));
    if (snapshotError.isEmpty() || lineError.isEmpty())
        return snapshotError + lineError;
    return snapshotError + QLatin1Char('\n') + lineError;
}

} // namespace tamsel
