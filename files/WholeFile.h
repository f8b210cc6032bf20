#pragma once
// A file written whole or not at all.
#include <QByteArray>
#include <QString>

namespace tamsel {

// What becomes of a symbolic link at the path written.
enum class LinkAtPath {
    Follow,  // the file it points to is written (a settings file kept elsewhere)
    Replace, // the link itself is replaced by the file, and what it points to is left alone
};

// Writes bytes to path through a temporary file beside it (path.XXXXXX), which replaces path only
// when every byte is on disk: a full disk or any other failure leaves no truncated file and an
// older file of that name as it was, and no temporary behind. A replaced file keeps its
// permission bits; one the user may not write is not replaced. Returns the system's reason on
// failure ("No space left on device"), empty on success.
QString writeWholeFile(const QString &path, const QByteArray &bytes, LinkAtPath link = LinkAtPath::Follow);

// Empty when writeWholeFile could write path (its temporary can be made beside it, and what is at
// path may be replaced), else the system's reason; nothing is left behind. For checking an
// output before the work that fills it.
QString wholeFileError(const QString &path, LinkAtPath link = LinkAtPath::Follow);

} // namespace tamsel
