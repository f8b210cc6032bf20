#include "files/NewFile.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "files/TemporaryFile.h"

namespace tamsel {

namespace {

// Far more than any folder of recordings holds under one name.
constexpr int kMostTries = 100000;

bool isSymbolicLink(const QByteArray &path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

// Moves temporary to target unless something is there; errno EEXIST when it is.
bool moveWhereFree(const QByteArray &temporary, const QByteArray &target)
{
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot refuse to move over a file: a second link to the bytes,
    // which is never made over one either.
    if (::link(temporary.constData(), target.constData()) != 0)
        return false;
    ::unlink(temporary.constData());
    return true;
}

} // namespace

QString systemReason(int code)
{
    return QString::fromStdString(std::generic_category().message(code));
}

int createNewFile(const NameTry &nameFor, QString *path, QString *error)
{
    int code = EEXIST;
    for (int n = 1; n <= kMostTries; ++n) {
        const QString name = nameFor(n);
        if (name.isEmpty())
            break;
        *path = name;
        const int fd = openNewFile(QFile::encodeName(name));
        if (fd >= 0)
            return fd;
        code = errno;
        if (code != EEXIST)
            break;
    }
    *error = systemReason(code);
    return -1;
}

QString writeNewWholeFile(const NameTry &nameFor, const QByteArray &bytes, QString *error)
{
    const QString first = nameFor(1);
    const QByteArray temporary =
        first.isEmpty() ? QByteArray() : writeTemporary(QFile::encodeName(first), bytes);
    if (temporary.isEmpty()) {
        *error = systemReason(first.isEmpty() ? ENOENT : errno);
        return {};
    }
    int code = EEXIST;
    for (int n = 1; n <= kMostTries; ++n) {
        const QString name = n == 1 ? first : nameFor(n);
        if (name.isEmpty())
            break;
        const QByteArray target = QFile::encodeName(name);
        if (moveWhereFree(temporary, target))
            return name;
        code = errno;
        if (code != EEXIST)
            break;
        // A link is no one's file: it is replaced by the file itself, its target left alone.
        if (isSymbolicLink(target)) {
            if (::rename(temporary.constData(), target.constData()) == 0)
                return name;
            code = errno;
            break;
        }
    }
    ::unlink(temporary.constData());
    *error = systemReason(code);
    return {};
}

} // namespace tamsel
