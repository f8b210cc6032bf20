#include "capture/PulseConnection.h"

#include <ctime>
#include <new>

namespace tamsel {

uint64_t monotonicMicros()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

PulseConnection::PulseConnection()
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_ || pa_threaded_mainloop_start(loop_) < 0)
        throw std::bad_alloc();
}

PulseConnection::~PulseConnection()
{
    disconnect();
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseConnection::onContextState(pa_context *c, void *data)
{
    auto *self = static_cast<PulseConnection *>(data);
    pa_threaded_mainloop_signal(self->loop_, 0);
    if (self->stateChanged)
        self->stateChanged(pa_context_get_state(c));
}

bool PulseConnection::startContext()
{
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Tamsel");
    if (!context_)
        return false;
    pa_context_set_state_callback(context_, &PulseConnection::onContextState, this);
    return pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
}

bool PulseConnection::connectAsync()
{
    return startContext();
}

int PulseConnection::connect()
{
    PulseLock lock(loop_);
    if (!startContext())
        return context_ ? pa_context_errno(context_) : PA_ERR_INTERNAL;
    const bool settled = waitFor([this] {
        const pa_context_state_t s = pa_context_get_state(context_);
        return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
    });
    if (!settled)
        return PA_ERR_TIMEOUT;
    if (pa_context_get_state(context_) != PA_CONTEXT_READY)
        return pa_context_errno(context_) ? pa_context_errno(context_) : PA_ERR_CONNECTIONREFUSED;
    return 0;
}

void PulseConnection::disconnect()
{
    if (!context_)
        return;
    PulseLock lock(loop_);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

bool PulseConnection::ready() const
{
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

int PulseConnection::lastError() const
{
    return context_ ? pa_context_errno(context_) : PA_ERR_CONNECTIONREFUSED;
}

void PulseConnection::waitOperation(pa_operation *op)
{
    if (!op)
        return;
    waitFor([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; });
    pa_operation_cancel(op);
    pa_operation_unref(op);
}

std::vector<PulseSource> PulseConnection::sources()
{
    std::vector<PulseSource> list;
    if (!ready())
        return list;
    PulseLock lock(loop_);
    struct Collect {
        std::vector<PulseSource> *list;
        pa_threaded_mainloop *loop;
    } collect{&list, loop_};
    auto onSource = [](pa_context *, const pa_source_info *info, int eol, void *data) {
        auto *c = static_cast<Collect *>(data);
        if (eol == 0 && info)
            c->list->push_back({info->index, info->card, info->name ? info->name : "",
                                info->description ? info->description : ""});
        if (eol != 0)
            pa_threaded_mainloop_signal(c->loop, 0);
    };
    waitOperation(pa_context_get_source_info_list(context_, onSource, &collect));
    return list;
}

std::string PulseConnection::defaultSourceName()
{
    if (!ready())
        return {};
    PulseLock lock(loop_);
    struct Result {
        std::string name;
        pa_threaded_mainloop *loop;
    } result{{}, loop_};
    auto onInfo = [](pa_context *, const pa_server_info *info, void *data) {
        auto *r = static_cast<Result *>(data);
        if (info && info->default_source_name)
            r->name = info->default_source_name;
        pa_threaded_mainloop_signal(r->loop, 0);
    };
    waitOperation(pa_context_get_server_info(context_, onInfo, &result));
    return result.name;
}

} // namespace tamsel
