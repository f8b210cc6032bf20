#pragma once
// A FLAC stream on a pipe, read through libsndfile. libsndfile reads FLAC only from what it can
// seek: on a pipe it looks at the first bytes to know the format, cannot go back to them, and
// fails ("flac decoder lost sync"), where the same bytes in a file read to their end. Here its
// reads go through a reader that keeps the stream's first bytes, so that it can go back to them;
// beyond those it reads on, as the stream comes.
#include <sndfile.h>
#include <string>
#include <vector>

namespace tamsel {

// Whether the pipe at fd starts with "fLaC"; nothing is taken from it (tee(2)). False for what is
// not a pipe.
bool pipeHoldsFlac(int fd);

class FlacPipe {
public:
    explicit FlacPipe(int fd) : fd_(fd) {}
    FlacPipe(const FlacPipe &) = delete;
    FlacPipe &operator=(const FlacPipe &) = delete;

    // sf_open_virtual over the pipe; null with sf_strerror(nullptr) set on failure.
    SNDFILE *open(SF_INFO *info);

private:
    static sf_count_t length(void *self);
    static sf_count_t seek(sf_count_t offset, int whence, void *self);
    static sf_count_t read(void *ptr, sf_count_t count, void *self);
    static sf_count_t write(const void *ptr, sf_count_t count, void *self);
    static sf_count_t tell(void *self);

    sf_count_t readAt(char *out, sf_count_t count);
    bool fetch(sf_count_t until); // reads from the pipe up to that position, keeping the head

    int fd_;
    std::vector<char> head_; // the stream's first bytes, for going back to them
    sf_count_t taken_ = 0;   // bytes taken from the pipe
    sf_count_t position_ = 0;
    bool ended_ = false;
};

} // namespace tamsel
