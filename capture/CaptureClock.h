#pragma once
// When a live stream's samples were captured, read off the times at which they arrive. Audio
// arrives in blocks, each late by a varying amount and never early, so the earliest arrivals
// of the last second or two tell the truest time. Times are monotonic microseconds.
#include <cstdint>

namespace tamsel {

class CaptureClock {
public:
    explicit CaptureClock(uint32_t rate) : rate_(rate ? rate : 1) {}

    // At `now`, the stream's first `samples` samples (read or waiting to be read) are in.
    void arrived(uint64_t now, uint64_t samples);
    // The time just past the stream's first `samples` samples; 0 while nothing has arrived.
    uint64_t endOf(uint64_t samples) const;
    // The stream's samples no longer follow on from the ones before (a new stream, a gap).
    void restart() { known_ = false; }

    uint64_t durationOf(uint64_t samples) const { return samples * 1000000u / rate_; }

private:
    static constexpr uint64_t kWindowUs = 1000000;

    uint64_t rate_;
    bool known_ = false;
    uint64_t windowStart_ = 0;
    uint64_t current_ = 0;  // the earliest time of the stream's sample 0 in this window
    uint64_t previous_ = 0; // and in the window before it
};

} // namespace tamsel
