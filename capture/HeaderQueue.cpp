#include "capture/HeaderQueue.h"

#include <algorithm>

namespace tamsel {

int HeaderQueue::prepare(WaveHeader *header)
{
    if (!header || (header->flags & kHeaderPrepared))
        return kWaveError;
    header->flags = kHeaderPrepared;
    return kWaveOk;
}

int HeaderQueue::unprepare(WaveHeader *header)
{
    if (!header || !(header->flags & kHeaderPrepared))
        return kWaveUnprepared;
    if (header->flags & kHeaderInQueue)
        return kWaveStillPlaying;
    header->flags &= ~kHeaderPrepared;
    return kWaveOk;
}

int HeaderQueue::add(WaveHeader *header)
{
    if (!header || !(header->flags & kHeaderPrepared))
        return kWaveUnprepared;
    if (header->flags & kHeaderInQueue)
        return kWaveStillPlaying;
    header->flags = (header->flags & ~kHeaderDone) | kHeaderInQueue;
    header->bytesRecorded = 0;
    queue_.push_back(header);
    return kWaveOk;
}

void HeaderQueue::fillFromRing(SampleRing &ring, const WaveNotify &notify)
{
    while (!queue_.empty()) {
        WaveHeader *header = queue_.front();
        const size_t samples = header->bufferLength / 2;
        if (ring.available() < samples)
            return;
        ring.read(reinterpret_cast<int16_t *>(header->data), samples);
        returnFront(samples, ring.totalWritten(), notify);
    }
}

void HeaderQueue::fillFront(const int16_t *samples, size_t count, const WaveNotify &notify)
{
    if (queue_.empty())
        return;
    WaveHeader *header = queue_.front();
    count = std::min<size_t>(count, header->bufferLength / 2);
    std::copy_n(samples, count, reinterpret_cast<int16_t *>(header->data)); // an empty delivery may be null
    returnFront(count, handed_ + count, notify);
}

// Of the reads between two buffers, the one least late says the most about the card's clock.
void HeaderQueue::arrived(int64_t ns, uint64_t samples, uint32_t rate)
{
    const double lateness = static_cast<double>(ns) * 1e-9 - static_cast<double>(samples) / rate;
    if (!earliest_ || lateness < earliest_->lateness)
        earliest_ = Arrival{ns, samples, lateness};
}

void HeaderQueue::returnFront(size_t count, uint64_t streamSamples, const WaveNotify &notify)
{
    WaveHeader *header = queue_.front();
    queue_.pop_front();
    handed_ += count;
    header->streamSamples = earliest_ ? earliest_->samples : streamSamples;
    header->arrivalNs = earliest_ ? earliest_->ns : 0;
    earliest_.reset();
    header->bytesRecorded = static_cast<uint32_t>(count * 2);
    header->flags = (header->flags & ~kHeaderInQueue) | kHeaderDone;
    notify(kWimData, reinterpret_cast<intptr_t>(header));
}

void HeaderQueue::clear()
{
    for (WaveHeader *header : queue_)
        header->flags &= ~kHeaderInQueue;
    queue_.clear();
    forgetArrivals();
}

} // namespace tamsel
