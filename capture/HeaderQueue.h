#pragma once
// The buffers a service holds, in the order they were added, and the filling of the
// front one. Shared by every sound service; not synchronised (the service holds its lock).
#include <deque>
#include <optional>

#include "capture/SampleRing.h"
#include "capture/SoundService.h"

namespace tamsel {

class HeaderQueue {
public:
    int prepare(WaveHeader *header);
    int unprepare(WaveHeader *header);
    int add(WaveHeader *header);
    bool empty() const { return queue_.empty(); }
    size_t size() const { return queue_.size(); }

    // Fills and returns every front buffer the ring can fill whole, in order; each carries the
    // samples the ring had taken in (the source's delivery, not the buffer's end), or the
    // earliest arrival noted since the buffer before.
    void fillFromRing(SampleRing &ring, const WaveNotify &notify);
    // At `ns` on the monotonic clock the stream's first `samples` samples were in, at `rate`.
    void arrived(int64_t ns, uint64_t samples, uint32_t rate);
    // The stream stopped: what came before says nothing of what follows.
    void forgetArrivals() { earliest_.reset(); }
    // Returns the front buffer with `count` samples (at most its size) and notifies; it carries
    // the samples handed on so far.
    void fillFront(const int16_t *samples, size_t count, const WaveNotify &notify);
    // Forgets every queued buffer without returning it (the device is closing).
    void clear();

private:
    void returnFront(size_t count, uint64_t streamSamples, const WaveNotify &notify);
    struct Arrival {
        int64_t ns;
        uint64_t samples;
        double lateness; // seconds after the samples' time at the nominal rate
    };

    std::deque<WaveHeader *> queue_;
    uint64_t handed_ = 0;             // samples handed on in buffers
    std::optional<Arrival> earliest_; // since the last buffer returned
};

} // namespace tamsel
