#pragma once
// The recording of a measurement: a CSV log from the press of the recording button to its
// release, and at every sweep end a snapshot and one log line.
#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

#include "measurement/SweepRecord.h"
#include "recording/CsvLog.h"
#include "recording/MeasurementText.h"
#include "recording/SnapshotImage.h"

namespace tamsel {

// What a sweep end records besides the layers.
struct SweepValues {
    SweepRecord sweep;  // the log line's values
    StatusTexts panels; // status bar panels 0 to 6, for the snapshot's text
};

class Recorder {
public:
    using Clock = std::function<QDateTime()>;

    // The local time by default; tests set a clock of their own.
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // The button went down: creates the folder with its parents and a new log named by
    // the current stamp, with a suffix when a file of that name exists. An empty folder (no
    // place for recordings is known) is refused. Returns the error text, empty on success.
    QString start(const QString &recordFolder);
    // The button went up: closes the log. Returns the error text, empty on success.
    QString stop();
    bool isLogOpen() const { return log_.isOpen(); }
    // How many steps (start, sweep, stop) have failed so far: what was not written.
    int failures() const { return failures_; }
    QString logPath() const { return log_.path(); }

    // A sweep ended while recording: saves the snapshot as a new file (named by the stamp,
    // with a suffix when that name is taken), then appends the log line with the stamp. The
    // line is written also when the snapshot could not be. Returns the error texts, one a
    // line, empty on success; nothing is retried.
    QString recordSweep(const SnapshotLayers &layers, const SnapshotOptions &options,
                        const SweepValues &values, const QString &recordFolder);

private:
    QDateTime now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }
    QString counted(const QString &error);
    QString startLog(const QString &recordFolder);
    QString saveSweep(const SnapshotLayers &layers, const SnapshotOptions &options, const SweepValues &values,
                      const QString &recordFolder);

    CsvLog log_;
    Clock clock_;
    int failures_ = 0;
};

} // namespace tamsel
