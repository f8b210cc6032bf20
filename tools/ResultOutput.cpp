#include "tools/ResultOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace tamsel {

void prepareResultOutput()
{
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file-size limit (`ulimit -f`) a write fails too, rather than killing the run halfway
    // through a line of the log.
    std::signal(SIGXFSZ, SIG_IGN);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}

bool writeResults(std::string_view text)
{
    errno = 0;
    // A line-buffered write can fail inside fwrite and still count as done: the error flag tells.
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (!std::ferror(stdout))
        return true;
    const int error = errno ? errno : EIO;
    if (error != EPIPE)
        std::fprintf(stderr, "quorlen-analyze: cannot write the results: %s\n", std::strerror(error));
    return false;
}

} // namespace tamsel
