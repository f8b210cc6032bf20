#include "files/NewFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tamsel {

namespace {

// Far more than any folder of recordings holds under one name.
constexpr int kMostTries = 100000;

int openNew(const QByteArray &path)
{
    int fd;
    do
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n == 0 ? ENOSPC : errno;
            return false;
        }
        done += n;
    }
    return true;
}

// The bytes in a new temporary file beside target, synced to disk. Empty with errno set on failure.
QByteArray writeTemporary(const QByteArray &target, const QByteArray &bytes)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int tries = 0; tries < 100; ++tries) {
        QByteArray temporary = target + '.';
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = openNew(temporary);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return {};
        const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
        int code = errno;
        const bool closed = ::close(fd) == 0;
        if (written && closed)
            return temporary;
        code = written ? errno : code;
        ::unlink(temporary.constData());
        errno = code;
        return {};
    }
    errno = EEXIST;
    return {};
}

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
        const int fd = openNew(QFile::encodeName(name));
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
