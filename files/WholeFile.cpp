#include "files/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "files/NewFile.h"
#include "files/TemporaryFile.h"

namespace tamsel {

namespace {

// As many links as the system follows in one path.
constexpr int kMostLinks = 40;

// The file that writing path writes: path itself, or with Follow the end of its chain of links.
// Empty with errno set when the chain loops.
QByteArray targetOf(const QString &path, LinkAtPath link)
{
    QByteArray target = QFile::encodeName(path);
    if (link == LinkAtPath::Replace)
        return target;
    for (int hops = 0; hops < kMostLinks; ++hops) {
        struct stat status {};
        if (::lstat(target.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return target;
        char buffer[4096];
        const ssize_t n = ::readlink(target.constData(), buffer, sizeof buffer);
        if (n < 0 || n == sizeof buffer)
            return target;
        const QByteArray next(buffer, n);
        target = next.startsWith('/')
                     ? next
                     : QFile::encodeName(QFileInfo(QFile::decodeName(target)).path()) + '/' + next;
    }
    errno = ELOOP;
    return {};
}

// 0 when what is at target may be replaced (nothing, a link, or a file the user may write),
// else the errno that says why not. *mode gets a file's permission bits, to keep.
int replaceableError(const QByteArray &target, mode_t *mode)
{
    struct stat status {};
    if (::lstat(target.constData(), &status) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    if (S_ISLNK(status.st_mode))
        return 0;
    if (::access(target.constData(), W_OK) != 0)
        return errno;
    *mode = status.st_mode & 07777;
    return 0;
}

// The file a write lands in, once it is known that it may be replaced; else why not.
QString replaceableTarget(const QString &path, LinkAtPath link, QByteArray *target, mode_t *mode)
{
    *target = targetOf(path, link);
    if (target->isEmpty())
        return systemReason(errno);
    *mode = mode_t(-1);
    if (const int code = replaceableError(*target, mode))
        return systemReason(code);
    return {};
}

} // namespace

QString writeWholeFile(const QString &path, const QByteArray &bytes, LinkAtPath link)
{
    QByteArray target;
    mode_t mode;
    if (QString error = replaceableTarget(path, link, &target, &mode); !error.isEmpty())
        return error;
    const QByteArray temporary = writeTemporary(target, bytes, mode);
    if (temporary.isEmpty())
        return systemReason(errno);
    // A rename replaces a link at the target itself, never what it points to.
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int code = errno;
        ::unlink(temporary.constData());
        return systemReason(code);
    }
    return {};
}

QString wholeFileError(const QString &path, LinkAtPath link)
{
    QByteArray target;
    mode_t mode;
    if (QString error = replaceableTarget(path, link, &target, &mode); !error.isEmpty())
        return error;
    if (const int code = probeTemporary(target))
        return systemReason(code);
    return {};
}

} // namespace tamsel
