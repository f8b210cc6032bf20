#include "recording/CsvLog.h"

#include <QByteArray>
#include <QDir>
#include <cerrno>
#include <unistd.h>

namespace tamsel {

namespace {

QString notOpenText()
{
    return QStringLiteral("The CSV log is not open.");
}

ssize_t writeAt(int fd, const char *bytes, size_t count, int64_t offset)
{
    ssize_t n;
    do
        n = ::pwrite(fd, bytes, count, offset);
    while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

CsvLog::~CsvLog()
{
    if (fd_ >= 0)
        ::close(fd_);
}

QString CsvLog::create(const NameTry &nameFor)
{
    if (fd_ >= 0)
        close();
    whole_ = lines_ = 0;
    QString reason;
    fd_ = createNewFile(nameFor, &path_, &reason);
    if (fd_ < 0)
        return QStringLiteral("Cannot create the CSV log %1: %2")
            .arg(QDir::toNativeSeparators(path_), reason);
    return {};
}

QString CsvLog::create(const QString &path)
{
    return create([&path](int n) { return n == 1 ? path : QString(); });
}

QString CsvLog::appendLine(std::string_view line)
{
    if (fd_ < 0)
        return notOpenText();
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append("\r\n");
    const size_t size = static_cast<size_t>(bytes.size());
    ssize_t n = writeAt(fd_, bytes.constData(), size, whole_);
    // A short write gives no reason: the rest, tried once, gives the system's.
    if (n >= 0 && static_cast<size_t>(n) < size) {
        const ssize_t more = writeAt(fd_, bytes.constData() + n, size - static_cast<size_t>(n), whole_ + n);
        n = more < 0 ? more : n + more;
        if (n >= 0 && static_cast<size_t>(n) < size)
            errno = ENOSPC;
    }
    if (n >= 0 && static_cast<size_t>(n) == size) {
        whole_ += n;
        ++lines_;
        return {};
    }
    QString reason = systemReason(errno);
    if (::ftruncate(fd_, whole_) != 0)
        reason += QStringLiteral("; the part written could not be taken off again: ") + systemReason(errno);
    // A disk that fills during a run: what is there stays, and the user learns how much.
    return QStringLiteral("Cannot write to the CSV log %1: %2. The lines written before it are kept (%3).")
        .arg(QDir::toNativeSeparators(path_), reason)
        .arg(lines_);
}

QString CsvLog::close()
{
    if (fd_ < 0)
        return notOpenText();
    const int result = ::close(fd_);
    const int code = errno;
    fd_ = -1;
    if (result != 0 && code != EINTR)
        return QStringLiteral("Cannot close the CSV log %1: %2")
            .arg(QDir::toNativeSeparators(path_), systemReason(code));
    return {};
}

} // namespace tamsel
