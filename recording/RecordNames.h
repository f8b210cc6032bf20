#pragma once
// Names of the recording's files and folder.
#include <QDateTime>
#include <QString>

namespace tamsel {

// The local time as "yyyymmddhhnnss": four-digit year, then month, day, 24-hour clock,
// minutes and seconds, two digits each, nothing between them.
QString recordStamp(const QDateTime &time);

// folder + stamp + ".csv"; the folder ends with a separator.
QString csvLogPath(const QString &folder, const QString &stamp);
// folder + stamp + ".jpg" or ".bmp".
QString snapshotPath(const QString &folder, const QString &stamp, bool jpeg);

// <documents>/My Pictures/Tamsel/ or, in the Japanese interface, <documents>/My Pictures/タムセル/,
// with native separators and a trailing separator. An empty documents folder leaves the
// prefix empty, as the shell's failure did.
QString recordFolderIn(const QString &documents, bool japanese);
// The same under the user's documents folder.
QString recordFolder(bool japanese);

} // namespace tamsel
