#include "capture/FlacPipe.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <thread>
#include <unistd.h>

namespace tamsel {

namespace {

// Far more than libsndfile reads before it goes back to the start of a FLAC stream.
constexpr sf_count_t kHeadBytes = 1 << 16;
constexpr char kFlacMark[] = {'f', 'L', 'a', 'C'};
// A stream that stops short of the mark (tee() cannot tell its end) is given three seconds.
constexpr int kMostTries = 300;

} // namespace

bool pipeHoldsFlac(int fd)
{
    int copy[2];
    if (::pipe2(copy, O_CLOEXEC) != 0)
        return false;
    char start[sizeof kFlacMark] = {};
    bool flac = false;
    // tee() copies what waits in the pipe without taking it; it waits for the first byte. A writer
    // that sends less than the mark at first is waited for a little at a time.
    for (int tries = 0; tries < kMostTries; ++tries) {
        const ssize_t n = ::tee(fd, copy[1], sizeof start, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const ssize_t got = ::read(copy[0], start, static_cast<size_t>(n));
        if (got != n || n == sizeof start || std::memcmp(start, kFlacMark, static_cast<size_t>(n)) != 0) {
            flac = got == n && n == sizeof start && std::memcmp(start, kFlacMark, sizeof start) == 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::close(copy[0]);
    ::close(copy[1]);
    return flac;
}

SNDFILE *FlacPipe::open(SF_INFO *info)
{
    static SF_VIRTUAL_IO io = {&FlacPipe::length, &FlacPipe::seek, &FlacPipe::read, &FlacPipe::write,
                               &FlacPipe::tell};
    return sf_open_virtual(&io, SFM_READ, info, this);
}

// Not known before the end: as long as can be, so that only the stream's end ends the reading.
sf_count_t FlacPipe::length(void *)
{
    return std::numeric_limits<sf_count_t>::max();
}

sf_count_t FlacPipe::seek(sf_count_t offset, int whence, void *self)
{
    auto *pipe = static_cast<FlacPipe *>(self);
    const sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? pipe->position_ + offset : -1;
    // Back into the head, or forward by reading on; never back past the head.
    if (to < 0 || (to < pipe->taken_ && to > static_cast<sf_count_t>(pipe->head_.size())))
        return -1;
    if (to > pipe->taken_ && !pipe->fetch(to))
        return -1;
    pipe->position_ = to;
    return to;
}

sf_count_t FlacPipe::read(void *ptr, sf_count_t count, void *self)
{
    return static_cast<FlacPipe *>(self)->readAt(static_cast<char *>(ptr), count);
}

sf_count_t FlacPipe::write(const void *, sf_count_t, void *)
{
    return 0;
}

sf_count_t FlacPipe::tell(void *self)
{
    return static_cast<FlacPipe *>(self)->position_;
}

sf_count_t FlacPipe::readAt(char *out, sf_count_t count)
{
    sf_count_t done = 0;
    // What the head holds.
    const auto kept = static_cast<sf_count_t>(head_.size());
    if (position_ < kept) {
        done = std::min(count, kept - position_);
        std::memcpy(out, head_.data() + position_, static_cast<size_t>(done));
        position_ += done;
    }
    if (done < count && position_ < taken_)
        return done; // between the head and what was taken: gone
    // The rest from the pipe, as it comes; the head keeps the first bytes.
    while (done < count && !ended_) {
        const ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ended_ = true;
            break;
        }
        const sf_count_t room = std::max<sf_count_t>(0, kHeadBytes - static_cast<sf_count_t>(head_.size()));
        head_.insert(head_.end(), out + done, out + done + std::min<sf_count_t>(n, room));
        done += n;
        position_ += n;
        taken_ += n;
    }
    return done;
}

bool FlacPipe::fetch(sf_count_t until)
{
    std::vector<char> skipped(4096);
    position_ = taken_;
    while (taken_ < until) {
        const sf_count_t want = std::min<sf_count_t>(until - taken_, static_cast<sf_count_t>(skipped.size()));
        if (readAt(skipped.data(), want) < want)
            return false;
    }
    return true;
}

} // namespace tamsel
