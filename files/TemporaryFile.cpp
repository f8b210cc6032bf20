#include "files/TemporaryFile.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel {

namespace {

// What a trial write puts in the probe's file: a report or a snapshot needs more.
constexpr int kProbeBytes = 4096;

// The first free name target.XXXXXX, created; the descriptor and its name, or -1 with errno.
int createTemporary(const QByteArray &target, QByteArray *name)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int tries = 0; tries < 100; ++tries) {
        *name = target + '.';
        for (int i = 0; i < 6; ++i)
            *name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = openNewFile(*name);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

int openNewFile(const QByteArray &path)
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

QByteArray writeTemporary(const QByteArray &target, const QByteArray &bytes, mode_t mode)
{
    QByteArray temporary;
    const int fd = createTemporary(target, &temporary);
    if (fd < 0)
        return {};
    const bool written =
        (mode == mode_t(-1) || ::fchmod(fd, mode) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    int code = errno;
    const bool closed = ::close(fd) == 0;
    if (written && closed)
        return temporary;
    code = written ? errno : code;
    ::unlink(temporary.constData());
    errno = code;
    return {};
}

int probeTemporary(const QByteArray &target)
{
    QByteArray temporary;
    const int fd = createTemporary(target, &temporary);
    if (fd < 0)
        return errno;
    // An empty file still fits on a full disk, and under a file-size limit of 0: a few
    // kilobytes are written to find either before a run, not after it.
    const bool written = writeAll(fd, QByteArray(kProbeBytes, '\0')) && ::fsync(fd) == 0;
    const int code = written ? 0 : errno;
    ::close(fd);
    ::unlink(temporary.constData());
    return code;
}

} // namespace tamsel
