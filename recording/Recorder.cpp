#include "recording/Recorder.h"

#include <QDir>

#include "recording/CsvLine.h"
#include "recording/RecordNames.h"
#include "recording/SnapshotFile.h"

namespace tamsel {

QString Recorder::start(const QString &recordFolder)
{
    // A folder that cannot be made shows up as the failure to create the log inside it.
    const bool folderMade = QDir().mkpath(recordFolder);
    const QString error = log_.create(csvLogPath(recordFolder, recordStamp(now())));
    if (!error.isEmpty() && !folderMade)
        return QStringLiteral("Cannot create the folder %1.\n%2")
            .arg(QDir::toNativeSeparators(recordFolder), error);
    return error;
}

QString Recorder::stop()
{
    return log_.close();
}

QString Recorder::recordSweep(const SnapshotLayers &layers, const SnapshotOptions &options,
                              const SweepValues &values, const QString &recordFolder)
{
    QString text;
    if (options.printMeasurement)
        text = measurementText(now(), values.panels, values.beatsPerSecond);
    const QImage image = composeSnapshot(layers, options, text);
    const QString stamp = recordStamp(now()); // read anew, after the text
    const QString error = saveSnapshot(image, snapshotPath(recordFolder, stamp, options.jpeg), options.jpeg);
    if (!error.isEmpty())
        return error;
    const std::string line =
        buildCsvLine(stamp.toStdString(), values.beatsPerSecond, values.panels[4].toStdString(),
                     values.panels[2].toStdString(), values.panels[6].toStdString(), values.rateRatio);
    return log_.appendLine(line);
}

} // namespace tamsel
