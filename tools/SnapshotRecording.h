#pragma once
// --record without a window: the log from the start of the run to its end, and at every sweep
// end the snapshot of the measurement's pictures and the log line, as the window's recording
// button writes them.
#include <QString>

#include "display/SweepPictures.h"
#include "measurement/MeasurementEngine.h"
#include "recording/Recorder.h"

namespace tamsel {

class SnapshotRecording {
public:
    SnapshotRecording(const QString &folder, const SnapshotOptions &options, Recorder::Clock clock);

    // Each returns the error text, empty on success; a failure is counted, and the run goes on.
    QString start() { return recorder_.start(folder_); }
    QString sweepEnded(const SweepPictures &pictures, const MeasurementEngine &engine,
                       const SweepRecord &sweep);
    QString stop() { return recorder_.stop(); }
    int failures() const { return recorder_.failures(); }

private:
    QString folder_; // absolute, with its separator
    SnapshotOptions options_;
    Recorder recorder_;
};

} // namespace tamsel
