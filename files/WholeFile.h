#pragma once
// A file written whole or not at all.
#include <QByteArray>
#include <QString>

namespace tamsel {

// Writes bytes to path through a temporary file beside it, which replaces path only when
// every byte is on disk: a full disk or any other failure leaves no truncated file and an
// older file of that name as it was, and no temporary behind. A replaced file keeps its
// permission bits. Returns the system's reason on failure, empty on success.
QString writeWholeFile(const QString &path, const QByteArray &bytes);

} // namespace tamsel
