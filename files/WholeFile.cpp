#include "files/WholeFile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace tamsel {

QString writeWholeFile(const QString &path, const QByteArray &bytes)
{
    // Unbuffered, so that a short write shows in write()'s count: QSaveFile commits even
    // when the flush inside commit() fails, which would leave a truncated file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    // The temporary is created from the permissions the current user has, which for the
    // superuser include writing even to a read-only file; take the file's own bits.
    const QFileInfo existing(path);
    const auto ownBits =
        ~QFileDevice::Permissions(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    if (existing.exists() && !file.setPermissions(existing.permissions() & ownBits)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace tamsel
