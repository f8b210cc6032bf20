#include "capture/PulseSourceWatch.h"

namespace tamsel {

namespace {
constexpr pa_usec_t kReconnectUsec = 1000000;
} // namespace

PulseSourceWatch::PulseSourceWatch(std::function<void()> changed) : changed_(std::move(changed))
{
    connection_.stateChanged = [this](pa_context_state_t state) { stateChanged(state); };
    if (connection_.connect() != 0)
        return; // stateChanged keeps trying
    PulseLock lock(connection_.loop());
    connection_.waitFor([this] { return listed_ || !connection_.ready(); }, 2000);
}

PulseSourceWatch::~PulseSourceWatch()
{
    PulseLock lock(connection_.loop());
    changed_ = nullptr;
    connection_.stateChanged = nullptr;
    if (reconnect_) {
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_.loop());
        api->time_free(reconnect_);
        reconnect_ = nullptr;
    }
}

std::vector<CaptureSource> PulseSourceWatch::sources() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return list_;
}

void PulseSourceWatch::stateChanged(pa_context_state_t state)
{
    pa_context *context = connection_.context();
    if (state == PA_CONTEXT_READY) {
        pa_context_set_subscribe_callback(
            context,
            [](pa_context *, pa_subscription_event_type_t, uint32_t, void *self) {
                static_cast<PulseSourceWatch *>(self)->refresh();
            },
            this);
        if (pa_operation *op = pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr))
            pa_operation_unref(op);
        refresh();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        // The list stays as last seen: a server that is away says nothing of which source is
        // gone, and the capture's own reconnection covers the outage.
        scheduleReconnect();
    }
}

// A listing's reply comes in one piece, so listings in flight never mix their entries.
void PulseSourceWatch::refresh()
{
    auto onSource = [](pa_context *, const pa_source_info *info, int eol, void *data) {
        auto *self = static_cast<PulseSourceWatch *>(data);
        if (eol == 0 && info) {
            self->incoming_.push_back({info->name ? info->name : "",
                                       info->description ? info->description : "",
                                       info->monitor_of_sink != PA_INVALID_INDEX});
            return;
        }
        if (eol > 0)
            self->publish(std::move(self->incoming_));
        self->incoming_.clear();
    };
    if (pa_operation *op = pa_context_get_source_info_list(connection_.context(), onSource, this))
        pa_operation_unref(op);
}

// Only a changed list is news: volume and suspend events change nothing the user chooses by.
void PulseSourceWatch::publish(std::vector<CaptureSource> list)
{
    bool same;
    {
        std::lock_guard<std::mutex> guard(lock_);
        same = list == list_;
        list_ = std::move(list);
    }
    listed_ = true;
    pa_threaded_mainloop_signal(connection_.loop(), 0);
    if (!same && changed_)
        changed_();
}

void PulseSourceWatch::scheduleReconnect()
{
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_.loop());
    timeval tv;
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, kReconnectUsec);
    if (reconnect_) {
        api->time_restart(reconnect_, &tv);
        return;
    }
    reconnect_ = api->time_new(
        api, &tv,
        [](pa_mainloop_api *, pa_time_event *, const timeval *, void *self) {
            static_cast<PulseSourceWatch *>(self)->connection_.connectAsync();
        },
        this);
}

} // namespace tamsel
