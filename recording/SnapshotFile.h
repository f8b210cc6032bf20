#pragma once
// Saving a snapshot as a Windows bitmap or a JPEG file.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace tamsel {

// A standard 24-bit Windows bitmap: BITMAPFILEHEADER, BITMAPINFOHEADER, bottom-up rows
// padded to four bytes. Empty on failure, with *error set (error may be null).
QByteArray encodeBitmap(const QImage &image, QString *error);

// Writes the image to path as JPEG or bitmap. The bytes go to a temporary file beside the
// target, which replaces the target only when all of them are on disk: a failure never
// leaves a truncated snapshot, and an older file of that name stays as it was.
// Returns the error text, empty on success.
QString saveSnapshot(const QImage &image, const QString &path, bool jpeg);

} // namespace tamsel
