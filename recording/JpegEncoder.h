#pragma once
// JPEG encoding of a snapshot through libjpeg: quality 90, colour, baseline.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace tamsel {

constexpr int kJpegQuality = 90;

// The whole JPEG file in memory. On failure returns an empty array and sets *error to
// libjpeg's message (error may be null).
QByteArray encodeJpeg(const QImage &image, QString *error);

} // namespace tamsel
