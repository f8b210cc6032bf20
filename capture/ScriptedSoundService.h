#pragma once
// A sound service driven by a test: the test decides when each buffer comes back and
// what it holds, and which operation fails.
#include <map>
#include <vector>

#include "capture/HeaderQueue.h"
#include "capture/SoundService.h"

namespace tamsel {

class ScriptedSoundService : public SoundService {
public:
    enum Operation { kOpen, kPrepare, kAddBuffer, kStart, kStop, kUnprepare, kClose, kCaps };

    int open(int32_t deviceId, const WaveFormat &format, WaveNotify notify) override;
    int prepare(WaveHeader *header) override;
    int addBuffer(WaveHeader *header) override;
    int start() override;
    int stop() override;
    int unprepare(WaveHeader *header) override;
    int close() override;
    int deviceId(int32_t &id) override;
    int deviceCaps(int32_t deviceId, WaveDeviceCaps &caps) override;
    std::string errorText(int result) override;

    // Returns the oldest queued buffer holding these samples (at most its size); false when
    // no buffer is queued. The buffer comes back through the event loop, as from a device.
    bool deliver(const std::vector<int16_t> &samples);
    bool deliver(const int16_t *samples, size_t count);
    size_t queued() const { return queue_.size(); }
    bool isOpen() const { return open_; }
    bool isStarted() const { return started_; }
    const WaveFormat &format() const { return format_; }
    void failNext(Operation op, int result) { failures_[op] = result; }
    // Sends a loss or failure notification as the live service would.
    void notify(int message, intptr_t param) { notify_(message, param); }

private:
    int failure(Operation op);

    std::map<Operation, int> failures_;
    HeaderQueue queue_;
    WaveNotify notify_;
    WaveFormat format_;
    int32_t deviceId_ = -1;
    bool open_ = false;
    bool started_ = false;
};

} // namespace tamsel
