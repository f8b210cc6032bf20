#include "recording/RecordNames.h"

#include <QDir>
#include <QStandardPaths>

namespace tamsel {

QString recordStamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString csvLogPath(const QString &folder, const QString &stamp)
{
    return folder + stamp + QStringLiteral(".csv");
}

QString snapshotPath(const QString &folder, const QString &stamp, bool jpeg)
{
    return folder + stamp + (jpeg ? QStringLiteral(".jpg") : QStringLiteral(".bmp"));
}

QString recordFolderIn(const QString &documents, bool japanese)
{
    QString prefix = documents;
    while (prefix.endsWith(QLatin1Char('/')) || prefix.endsWith(QDir::separator()))
        prefix.chop(1);
    const QString tail =
        japanese ? QStringLiteral("/My Pictures/タムセル/") : QStringLiteral("/My Pictures/Tamsel/");
    return QDir::toNativeSeparators(prefix + tail);
}

QString recordFolder(bool japanese)
{
    return recordFolderIn(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), japanese);
}

} // namespace tamsel
