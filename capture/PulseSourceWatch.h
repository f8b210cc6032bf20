#pragma once
// The sound server's capture sources, kept current by the server's subscription events on
// a connection of their own (no polling). Reconnects while the server is away.
#include <functional>
#include <mutex>
#include <vector>

#include "capture/PulseConnection.h"
#include "capture/SoundService.h"

namespace tamsel {

class PulseSourceWatch {
public:
    // Waits for the first list (when the server answers); `changed` then runs on the
    // connection's thread after every change.
    explicit PulseSourceWatch(std::function<void()> changed);
    // No call of `changed` runs or follows once this returns.
    ~PulseSourceWatch();
    PulseSourceWatch(const PulseSourceWatch &) = delete;
    PulseSourceWatch &operator=(const PulseSourceWatch &) = delete;

    std::vector<CaptureSource> sources() const;

private:
    // On the connection's thread, main loop locked.
    void stateChanged(pa_context_state_t state);
    void refresh();
    void publish(std::vector<CaptureSource> list);
    void scheduleReconnect();

    std::function<void()> changed_;
    pa_time_event *reconnect_ = nullptr;
    bool listed_ = false;
    mutable std::mutex lock_;
    std::vector<CaptureSource> list_;
    std::vector<CaptureSource> incoming_; // the listing being received
    PulseConnection connection_;          // last: its thread ends before the members above go
};

} // namespace tamsel
