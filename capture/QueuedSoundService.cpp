#include "capture/QueuedSoundService.h"

namespace tamsel {

int QueuedSoundService::prepare(WaveHeader *header)
{
    std::lock_guard<std::mutex> guard(queueLock_);
    return queue_.prepare(header);
}

int QueuedSoundService::addBuffer(WaveHeader *header)
{
    if (!open_)
        return kWaveInvalidHandle;
    std::lock_guard<std::mutex> guard(queueLock_);
    const int result = queue_.add(header);
    if (result == kWaveOk)
        bufferQueued(header);
    return result;
}

int QueuedSoundService::unprepare(WaveHeader *header)
{
    std::lock_guard<std::mutex> guard(queueLock_);
    const int result = queue_.unprepare(header);
    if (result == kWaveOk)
        bufferUnprepared(header);
    return result;
}

int QueuedSoundService::deviceId(int32_t &id)
{
    if (!open_)
        return kWaveInvalidHandle;
    id = deviceId_;
    return kWaveOk;
}

void QueuedSoundService::announceOpen(int32_t deviceId, WaveNotify notify)
{
    deviceId_ = deviceId;
    notify_ = std::move(notify);
    started_ = false;
    open_ = true;
    notify_(kWimOpen, 0);
}

void QueuedSoundService::announceClose()
{
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.clear();
    open_ = started_ = false;
    notify_(kWimClose, 0);
    notify_ = nullptr;
}

} // namespace tamsel
