#include "capture/LibraryChatter.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tamsel {

namespace {

int nullDevice()
{
    static const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    return fd;
}

} // namespace

LibraryChatterHidden::LibraryChatterHidden()
{
    const int null = nullDevice();
    if (null < 0)
        return;
    std::fflush(stderr);
    saved_ = ::fcntl(2, F_DUPFD_CLOEXEC, 3); // -1 when standard error was closed: it stays on /dev/null
    hidden_ = ::dup2(null, 2) == 2;
}

LibraryChatterHidden::~LibraryChatterHidden()
{
    if (!hidden_)
        return;
    std::fflush(stderr);
    if (saved_ >= 0) {
        ::dup2(saved_, 2);
        ::close(saved_);
    }
}

} // namespace tamsel
