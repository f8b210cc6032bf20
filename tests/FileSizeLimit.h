#pragma once
// A disk that fills up mid-write, for as long as the object lives: this process may not
// make files grow past the given size (writes beyond it fail instead of raising SIGXFSZ).
#include <csignal>
#include <sys/resource.h>

namespace tamsel::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return active_; }

private:
    rlimit saved_{};
    bool active_ = false;
};

} // namespace tamsel::test
