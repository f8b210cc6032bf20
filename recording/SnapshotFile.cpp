#include "recording/SnapshotFile.h"

#include <QBuffer>
#include <QDir>

#include "recording/JpegEncoder.h"

namespace tamsel {

QByteArray encodeBitmap(const QImage &image, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Qt writes an RGB32 image as a 24-bit bitmap with the standard headers.
    if (image.isNull() || !image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP")) {
        if (error)
            *error = image.isNull() ? QStringLiteral("The image is empty.")
                                    : QStringLiteral("The image cannot be encoded as a bitmap.");
        return {};
    }
    return bytes;
}

QString saveSnapshot(const QImage &image, const NameTry &nameFor, bool jpeg)
{
    QString reason;
    const QByteArray bytes = jpeg ? encodeJpeg(image, &reason) : encodeBitmap(image, &reason);
    if (bytes.isEmpty())
        return QStringLiteral("Cannot save the snapshot %1: %2")
            .arg(QDir::toNativeSeparators(nameFor(1)), reason);
    if (writeNewWholeFile(nameFor, bytes, &reason).isEmpty())
        return QStringLiteral("Cannot write the snapshot %1: %2")
            .arg(QDir::toNativeSeparators(nameFor(1)), reason);
    return {};
}

QString saveSnapshot(const QImage &image, const QString &path, bool jpeg)
{
    return saveSnapshot(
        image, [&path](int n) { return n == 1 ? path : QString(); }, jpeg);
}

} // namespace tamsel
