#pragma once
// The outputs of a run checked before its first sample is read, so that a day of measuring never
// ends in a report or a log that cannot be written. What changes during the run is still found by
// the final write (exit status 3).
#include <QString>

namespace tamsel {

// Empty when the snapshots and the CSV log can be made in folder: it is created when missing, as
// the recording button would, and a file is made in it and taken away again. Else one line naming
// the folder and the system's reason.
QString recordFolderError(const QString &folder);

} // namespace tamsel
