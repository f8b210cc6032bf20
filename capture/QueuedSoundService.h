#pragma once
// The buffer protocol every sound service keeps: a buffer is prepared, queued while the device
// is open, filled in the order it was queued and handed back through the notification, and
// unprepared once back; opening and closing are announced. A service adds where the samples
// come from, through the hooks below.
#include <mutex>

#include "capture/HeaderQueue.h"
#include "capture/SoundService.h"

namespace tamsel {

class QueuedSoundService : public SoundService {
public:
    int prepare(WaveHeader *header) override;
    int addBuffer(WaveHeader *header) override;
    int unprepare(WaveHeader *header) override;
    int deviceId(int32_t &id) override;

protected:
    // The device is open from here on; kWimOpen goes to `notify`.
    void announceOpen(int32_t deviceId, WaveNotify notify);
    // Forgets the buffers still queued, closes, and sends kWimClose, the last notification.
    void announceClose();

    // Called with queueLock_ held, after a buffer was queued or unprepared.
    virtual void bufferQueued(WaveHeader *header) { (void)header; }
    virtual void bufferUnprepared(WaveHeader *header) { (void)header; }

    // Guards the queue against a service's own thread; such a service takes it for what it
    // shares with that thread too.
    std::mutex queueLock_;
    HeaderQueue queue_;
    WaveNotify notify_;
    bool open_ = false;
    bool started_ = false;

private:
    int32_t deviceId_ = -1;
};

} // namespace tamsel
