#pragma once
// Names of the recording's files and folder.
#include <QDateTime>
#include <QString>

namespace tamsel {

// The local time as "yyyymmddhhnnss": four-digit year, then month, day, 24-hour clock,
// minutes and seconds, two digits each, nothing between them.
QString recordStamp(const QDateTime &time);

// The n-th name for a stamp: the stamp itself, then stamp-2, stamp-3, ...
QString numbered(const QString &stamp, int n);

// folder + stamp + ".csv"; the folder ends with a separator.
QString csvLogPath(const QString &folder, const QString &stamp);
// folder + stamp + ".jpg" or ".bmp".
QString snapshotPath(const QString &folder, const QString &stamp, bool jpeg);

// <documents>/My Pictures/Tamsel/ or, in the Japanese interface, <documents>/My Pictures/タムセル/,
// with native separators and a trailing separator. Without a documents folder it lies under
// the home folder; without either (a home at the root of the file system counts as none) it
// is empty, and recording is refused rather than scattered over the root.
QString recordFolderIn(const QString &documents, const QString &home, bool japanese);
// The same under the user's documents or home folder.
QString recordFolder(bool japanese);

} // namespace tamsel
