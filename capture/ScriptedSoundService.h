#pragma once
// A sound service driven by a test: the test decides when each buffer comes back and
// what it holds, and which operation fails.
#include <map>
#include <vector>

#include "capture/QueuedSoundService.h"

namespace tamsel {

class ScriptedSoundService : public QueuedSoundService {
public:
    enum Operation { kOpen, kPrepare, kAddBuffer, kStart, kStop, kUnprepare, kClose, kCaps };

    int open(int32_t deviceId, const WaveFormat &format, WaveNotify notify) override;
    int prepare(WaveHeader *header) override;
    int addBuffer(WaveHeader *header) override;
    int start() override;
    int stop() override;
    int unprepare(WaveHeader *header) override;
    int close() override;
    int deviceCaps(int32_t deviceId, WaveDeviceCaps &caps) override;
    std::string errorText(int result) override;
    std::vector<CaptureSource> sources() override { return sources_; }
    void watchSources(std::function<void()> changed) override { sourcesChanged_ = std::move(changed); }
    void selectSource(const std::string &nameOrDescription) override { selected_ = nameOrDescription; }
    std::string sourceInUse() override;

    // The server's sources change: the watcher hears of it.
    void setSources(std::vector<CaptureSource> list);

    // Returns the oldest queued buffer holding these samples (at most its size); false when
    // no buffer is queued. The buffer comes back through the event loop, as from a device.
    bool deliver(const std::vector<int16_t> &samples);
    bool deliver(const int16_t *samples, size_t count);
    size_t queued() const { return queue_.size(); }
    bool isOpen() const { return open_; }
    bool isStarted() const { return started_; }
    const WaveFormat &format() const { return format_; }
    const std::string &selected() const { return selected_; }
    void failNext(Operation op, int result) { failures_[op] = result; }
    // Sends a loss or failure notification as the live service would.
    void notify(int message, intptr_t param) { notify_(message, param); }

private:
    int failure(Operation op);
    std::vector<CaptureSource>::const_iterator find(const std::string &source) const;

    std::map<Operation, int> failures_;
    WaveFormat format_;
    std::vector<CaptureSource> sources_;
    std::function<void()> sourcesChanged_;
    std::string selected_;
    std::string opened_; // as selected at open
};

} // namespace tamsel
