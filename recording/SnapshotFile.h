#pragma once
// Saving a snapshot as a Windows bitmap or a JPEG file.
#include <QByteArray>
#include <QImage>
#include <QString>

#include "files/NewFile.h"

namespace tamsel {

// A standard 24-bit Windows bitmap: BITMAPFILEHEADER, BITMAPINFOHEADER, bottom-up rows
// padded to four bytes. Empty on failure, with *error set (error may be null).
QByteArray encodeBitmap(const QImage &image, QString *error);

// Writes the image as JPEG or bitmap to the first free name of nameFor's, a new file: no other
// file is replaced, and a symbolic link at a name is replaced rather than followed. The bytes
// go to a temporary file beside it first, so a failure never leaves a truncated snapshot.
// Returns the error text, empty on success.
QString saveSnapshot(const QImage &image, const NameTry &nameFor, bool jpeg);
// The same for that one name only.
QString saveSnapshot(const QImage &image, const QString &path, bool jpeg);

} // namespace tamsel
