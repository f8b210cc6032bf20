#pragma once
// The capture thread's own store between the sound server and the buffers: a ring of
// samples that also remembers gaps (audio known to be lost) so that they come out as
// silence of the same length, in place. Not synchronised: the owner holds the lock.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace tamsel {

class SampleRing {
public:
    explicit SampleRing(size_t capacity);

    // Stores what fits; the rest is lost and becomes a gap. Returns the samples lost.
    size_t write(const int16_t *samples, size_t count);
    // Audio lost before it reached the ring (a hole in the stream, a disconnection).
    void addGap(uint64_t count);

    // Samples ready to read, gaps included.
    uint64_t available() const { return stored_ + gapTotal_; }
    // Reads exactly `count` samples (gaps as zeros); `count` must not exceed available().
    void read(int16_t *out, size_t count);
    void clear();

    uint64_t totalWritten() const { return totalIn_; } // samples and gaps, since construction
    uint64_t totalLost() const { return totalLost_; }

private:
    struct Gap {
        uint64_t position; // the physical sample it precedes
        uint64_t length;
    };
    std::vector<int16_t> data_;
    uint64_t readPos_ = 0;  // physical samples read
    uint64_t writePos_ = 0; // physical samples written
    uint64_t stored_ = 0;
    std::deque<Gap> gaps_;
    uint64_t gapTotal_ = 0;
    uint64_t totalIn_ = 0;
    uint64_t totalLost_ = 0;
};

} // namespace tamsel
