#include "recording/RecordNames.h"

#include <QDir>
#include <QStandardPaths>

namespace tamsel {

QString recordStamp(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString numbered(const QString &stamp, int n)
{
    return n <= 1 ? stamp : stamp + QStringLiteral("-%1").arg(n);
}

QString csvLogPath(const QString &folder, const QString &stamp)
{
    return folder + stamp + QStringLiteral(".csv");
}

QString snapshotPath(const QString &folder, const QString &stamp, bool jpeg)
{
    return folder + stamp + (jpeg ? QStringLiteral(".jpg") : QStringLiteral(".bmp"));
}

QString recordFolderIn(const QString &documents, const QString &home, bool japanese)
{
    auto withoutSeparators = [](QString path) {
        while (path.endsWith(QLatin1Char('/')) || path.endsWith(QDir::separator()))
            path.chop(1);
        return path;
    };
    QString prefix = documents.isEmpty() ? withoutSeparators(home) : withoutSeparators(documents);
    if (prefix.isEmpty() && documents.isEmpty())
        return {};
    const QString tail =
        japanese ? QStringLiteral("/My Pictures/タムセル/") : QStringLiteral("/My Pictures/Tamsel/");
    return QDir::toNativeSeparators(prefix + tail);
}

QString recordFolder(bool japanese)
{
    return recordFolderIn(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                          QDir::homePath(), japanese);
}

} // namespace tamsel
