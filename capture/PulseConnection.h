#pragma once
// A connection to the sound server on a threaded main loop of its own, with the
// blocking helpers the service needs (each waits at most a few seconds).
#include <pulse/pulseaudio.h>

#include <functional>
#include <string>
#include <vector>

namespace tamsel {

struct PulseSource {
    uint32_t index = 0;
    uint32_t card = 0;
    std::string name;
    std::string description;
};

class PulseConnection {
public:
    PulseConnection();
    ~PulseConnection();
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    // Connects a new context (dropping an old one) and waits for it; not on the loop's thread.
    // Returns 0 or the server's error code.
    int connect();
    // Starts connecting a new context without waiting; on the loop's thread, lock held.
    bool connectAsync();
    // Called on the loop's thread at every state change of the context.
    std::function<void(pa_context_state_t)> stateChanged;
    void disconnect();
    bool ready() const;

    // Every capture source, in the server's order; and the default source's name.
    std::vector<PulseSource> sources();
    std::string defaultSourceName();

    pa_threaded_mainloop *loop() const { return loop_; }
    pa_context *context() const { return context_; }
    int lastError() const;

    // Waits (lock held) until `done` holds or the timeout passes; false on timeout.
    template <typename Done> bool waitFor(Done done, int timeoutMs = 5000);

private:
    void waitOperation(pa_operation *op);
    bool startContext();
    static void onContextState(pa_context *c, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
};

// Locks the main loop for a scope.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop *loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
    ~PulseLock() { pa_threaded_mainloop_unlock(loop_); }
    PulseLock(const PulseLock &) = delete;
    PulseLock &operator=(const PulseLock &) = delete;

private:
    pa_threaded_mainloop *loop_;
};

uint64_t monotonicMicros();

template <typename Done> bool PulseConnection::waitFor(Done done, int timeoutMs)
{
    const uint64_t deadline = monotonicMicros() + static_cast<uint64_t>(timeoutMs) * 1000;
    // A timer wakes the waiting thread so that a silent server cannot block us forever.
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(loop_);
    while (!done()) {
        if (monotonicMicros() >= deadline)
            return false;
        timeval tv;
        pa_gettimeofday(&tv);
        pa_timeval_add(&tv, 50000);
        pa_time_event *tick = api->time_new(
            api, &tv,
            [](pa_mainloop_api *, pa_time_event *, const timeval *, void *loop) {
                pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
            },
            loop_);
        pa_threaded_mainloop_wait(loop_);
        api->time_free(tick);
    }
    return true;
}

} // namespace tamsel
