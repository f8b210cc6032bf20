#include "capture/PulseSoundService.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "capture/ComputerClock.h"
#include "capture/OutageClock.h"
#include "capture/PulseConnection.h"
#include "capture/PulseSourceWatch.h"
#include "capture/QueuedSoundService.h"
#include "capture/SampleRing.h"
#include "capture/WaveErrorText.h"

namespace tamsel {

namespace {

constexpr int kRetryMs = 1000; // reconnection attempts while the server or source is gone

// Where libpulse looks for the server (PipeWire's pipewire-pulse listens there too).
std::string serverAddress()
{
    if (const char *server = std::getenv("PULSE_SERVER"); server && *server)
        return server;
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string("unix:") + runtime + "/pulse/native";
    return "the sound server's usual address";
}

// No server reached says so, and where it was looked for: "Connection refused" alone names
// neither.
std::string pulseErrorText(int result)
{
    const std::string text = waveErrorText(result);
    const int error = result - kWaveServerBase;
    if (result < kWaveServerBase ||
        (error != PA_ERR_CONNECTIONREFUSED && error != PA_ERR_INVALIDSERVER && error != PA_ERR_TIMEOUT))
        return text;
    return "No sound server: none answers at " + serverAddress() + " (" + text + ")";
}

class PulseSoundService : public QueuedSoundService {
public:
    explicit PulseSoundService(const LiveCaptureOptions &options)
        : options_(options), outageClock_(44100), ring_(options.ringSamples)
    {}
    ~PulseSoundService() override { close(); }

    int open(int32_t deviceId, const WaveFormat &format, WaveNotify notify) override;
    int start() override;
    int stop() override;
    int close() override;
    int deviceCaps(int32_t deviceId, WaveDeviceCaps &caps) override;
    std::string errorText(int result) override { return pulseErrorText(result); }
    std::vector<CaptureSource> sources() override;
    void watchSources(std::function<void()> changed) override;
    void selectSource(const std::string &nameOrDescription) override { wanted_ = nameOrDescription; }
    std::string sourceInUse() override;

private:
    void bufferQueued(WaveHeader *header) override;
    // Everything below runs on the service's thread with the main loop locked, and does
    // nothing before open() has finished.
    int connectStream(); // creates the stream and waits for it: not on the loop's thread
    bool createStream();
    void dropStream();
    void contextStateChanged(pa_context_state_t state);
    void readStream();
    void streamStateChanged();
    void lost(int result);
    void overflowed();
    int serverError() const;
    void scheduleTimer(int ms);
    void onTimer();
    void addSilence(uint64_t frames);
    int sourceNameFor(int32_t id, std::string &name);
    void noteSourceInUse();

    LiveCaptureOptions options_;
    std::unique_ptr<PulseConnection> connection_;
    pa_stream *stream_ = nullptr;
    pa_time_event *timer_ = nullptr;
    pa_sample_spec spec_{};
    std::string wanted_;     // the source chosen by name or description; empty: by device ID
    std::string sourceName_; // empty: the server's default source
    OutageClock outageClock_; // the stream's time, and the silence owed for an outage
    uint64_t lastRetry_ = 0;

    SampleRing ring_;   // shared with the user-interface thread under queueLock_
    std::string inUse_; // shared with the user-interface thread under queueLock_
    std::unique_ptr<PulseSourceWatch> watch_;
};

int PulseSoundService::sourceNameFor(int32_t id, std::string &name)
{
    name.clear();
    if (!wanted_.empty()) {
        for (const PulseSource &s : connection_->sources())
            if (s.name == wanted_ || s.description == wanted_) {
                name = s.name;
                return kWaveOk;
            }
        return kWaveBadDevice;
    }
    if (id == -1)
        return kWaveOk;
    const std::vector<PulseSource> list = connection_->sources();
    if (id < 0 || static_cast<size_t>(id) >= list.size())
        return kWaveBadDevice;
    name = list[static_cast<size_t>(id)].name;
    return kWaveOk;
}

int PulseSoundService::open(int32_t deviceId, const WaveFormat &format, WaveNotify notify)
{
    if (open_)
        return kWaveAllocated;
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels == 0 ||
        format.samplesPerSec == 0)
        return kWaveBadFormat;
    spec_ = {PA_SAMPLE_S16LE, format.samplesPerSec, static_cast<uint8_t>(format.channels)};
    outageClock_ = OutageClock(format.samplesPerSec);
    try {
        connection_ = std::make_unique<PulseConnection>();
    } catch (const std::bad_alloc &) {
        return kWaveNoMemory;
    }
    if (const int error = connection_->connect()) {
        connection_.reset();
        return kWaveServerBase + error;
    }
    connection_->stateChanged = [this](pa_context_state_t state) { contextStateChanged(state); };
    if (const int result = sourceNameFor(deviceId, sourceName_)) {
        connection_.reset();
        return result;
    }
    int result;
    {
        PulseLock lock(connection_->loop());
        result = connectStream();
        if (result == kWaveOk) {
            noteSourceInUse();
            // The service's thread reads these from here on, under the same lock.
            announceOpen(deviceId, std::move(notify));
        }
    }
    if (result != kWaveOk)
        connection_.reset();
    return result;
}

bool PulseSoundService::createStream()
{
    stream_ = pa_stream_new(connection_->context(), "Watch capture", &spec_, nullptr);
    if (!stream_)
        return false;
    outageClock_.newStream();
    pa_stream_set_state_callback(
        stream_,
        [](pa_stream *, void *self) { static_cast<PulseSoundService *>(self)->streamStateChanged(); }, this);
    pa_stream_set_read_callback(
        stream_,
        [](pa_stream *, size_t, void *self) { static_cast<PulseSoundService *>(self)->readStream(); }, this);
    pa_stream_set_suspended_callback(
        stream_,
        [](pa_stream *, void *self) { static_cast<PulseSoundService *>(self)->streamStateChanged(); }, this);
    pa_stream_set_overflow_callback(
        stream_, [](pa_stream *, void *self) { static_cast<PulseSoundService *>(self)->overflowed(); }, this);
    pa_stream_set_moved_callback(
        stream_, [](pa_stream *, void *self) { static_cast<PulseSoundService *>(self)->noteSourceInUse(); },
        this);

    // Small fragments keep the ring fed evenly; the server's own buffer stays at its maximum.
    const uint32_t fragment = static_cast<uint32_t>(pa_usec_to_bytes(20000, &spec_));
    pa_buffer_attr attr{static_cast<uint32_t>(-1), static_cast<uint32_t>(-1), static_cast<uint32_t>(-1),
                        static_cast<uint32_t>(-1), fragment};
    auto flags = PA_STREAM_ADJUST_LATENCY;
    if (!started_)
        flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
    if (pa_stream_connect_record(stream_, sourceName_.empty() ? nullptr : sourceName_.c_str(), &attr, flags) <
        0) {
        dropStream();
        return false;
    }
    return true;
}

int PulseSoundService::connectStream()
{
    if (!createStream())
        return kWaveServerBase + connection_->lastError();
    const bool settled = connection_->waitFor([this] {
        const pa_stream_state_t s = pa_stream_get_state(stream_);
        return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
    });
    if (!settled || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        const int error = settled ? connection_->lastError() : PA_ERR_TIMEOUT;
        dropStream();
        return kWaveServerBase + (error ? error : PA_ERR_NOENTITY);
    }
    // The server converts whatever the source has into what we asked for; never misread.
    const pa_sample_spec *got = pa_stream_get_sample_spec(stream_);
    if (!got || !pa_sample_spec_equal(got, &spec_)) {
        dropStream();
        return kWaveBadFormat;
    }
    return kWaveOk;
}

void PulseSoundService::dropStream()
{
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_suspended_callback(stream_, nullptr, nullptr);
    pa_stream_set_overflow_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseSoundService::readStream()
{
    if (!open_ || !stream_)
        return;
    const size_t readable = pa_stream_readable_size(stream_);
    if (readable == 0 || readable == static_cast<size_t>(-1))
        return;
    const int64_t now = monotonicNanoseconds();
    const std::optional<uint64_t> silence =
        outageClock_.arrived(static_cast<uint64_t>(now / 1000), readable / pa_frame_size(&spec_));
    if (!silence)
        return; // it waits in the server's buffer meanwhile
    addSilence(*silence);
    const void *data = nullptr;
    size_t bytes = 0;
    uint64_t frames = 0;
    while (stream_ && pa_stream_readable_size(stream_) > 0) {
        if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0)
            break;
        const size_t samples = bytes / 2;
        frames += bytes / pa_frame_size(&spec_);
        std::lock_guard<std::mutex> guard(queueLock_);
        size_t dropped = 0;
        if (!data) {
            // A hole in the stream: the server knows its length.
            ring_.addGap(samples);
            dropped = samples;
        } else if (started_) {
            dropped = ring_.write(static_cast<const int16_t *>(data), samples);
            // All that is read in this call was there when it began.
            queue_.arrived(now, ring_.totalWritten(), spec_.rate);
        }
        pa_stream_drop(stream_);
        if (dropped)
            notify_(kWimLoss, static_cast<intptr_t>(dropped));
        if (started_)
            queue_.fillFromRing(ring_, notify_);
    }
    outageClock_.read(frames);
}

void PulseSoundService::streamStateChanged()
{
    // While open() waits for the stream, a failure is its result, not an outage.
    if (!open_) {
        pa_threaded_mainloop_signal(connection_->loop(), 0);
        return;
    }
    if (!stream_)
        return;
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (!PA_STREAM_IS_GOOD(state)) {
        lost(serverError());
        return;
    }
    if (state != PA_STREAM_READY)
        return;
    const pa_sample_spec *got = pa_stream_get_sample_spec(stream_);
    if (!got || !pa_sample_spec_equal(got, &spec_)) {
        lost(kWaveBadFormat);
        return;
    }
    if (pa_stream_is_suspended(stream_) > 0) {
        if (!outageClock_.inOutage()) {
            outageClock_.begin(monotonicMicros());
            scheduleTimer(OutageClock::kTickMs);
        }
    } else if (outageClock_.inOutage()) {
        outageClock_.end(); // the gap closes with the first audio that comes back
        notify_(kWimRestored, 0);
        if (started_)
            pa_operation_unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
    }
}

// The server dropped audio of a length it does not tell.
void PulseSoundService::overflowed()
{
    if (open_)
        notify_(kWimLoss, -1);
}

int PulseSoundService::serverError() const
{
    const int error = connection_->lastError();
    return kWaveServerBase + (error ? error : PA_ERR_CONNECTIONTERMINATED);
}

// Audio stops arriving: count silence by the clock until it comes back, and keep trying.
void PulseSoundService::lost(int result)
{
    dropStream();
    if (!outageClock_.inOutage()) {
        outageClock_.begin(monotonicMicros());
        notify_(kWimFailure, result);
    }
    scheduleTimer(OutageClock::kTickMs);
}

void PulseSoundService::scheduleTimer(int ms)
{
    pa_mainloop_api *api = pa_threaded_mainloop_get_api(connection_->loop());
    timeval tv;
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, static_cast<pa_usec_t>(ms) * 1000);
    if (timer_) {
        api->time_restart(timer_, &tv);
        return;
    }
    timer_ = api->time_new(
        api, &tv,
        [](pa_mainloop_api *, pa_time_event *, const timeval *, void *self) {
            static_cast<PulseSoundService *>(self)->onTimer();
        },
        this);
}

// Silence in place of audio lost, handed on as a loss of its length.
void PulseSoundService::addSilence(uint64_t frames)
{
    if (frames == 0)
        return;
    std::lock_guard<std::mutex> guard(queueLock_);
    if (!started_)
        return;
    ring_.addGap(frames * spec_.channels);
    notify_(kWimLoss, static_cast<intptr_t>(frames * spec_.channels));
    queue_.fillFromRing(ring_, notify_);
}

void PulseSoundService::contextStateChanged(pa_context_state_t state)
{
    if (!open_)
        return;
    if (!PA_CONTEXT_IS_GOOD(state))
        lost(serverError());
    else if (state == PA_CONTEXT_READY && outageClock_.inOutage() && !stream_)
        createStream(); // the server is back: its stream's READY ends the outage
}

void PulseSoundService::onTimer()
{
    if (!outageClock_.inOutage())
        return;
    addSilence(outageClock_.tick(monotonicMicros()));
    const uint64_t now = monotonicMicros();
    if (!stream_ && now - lastRetry_ >= kRetryMs * 1000u) {
        lastRetry_ = now;
        if (pa_context_get_state(connection_->context()) == PA_CONTEXT_READY)
            createStream();
        else
            connection_->connectAsync();
    }
    scheduleTimer(OutageClock::kTickMs);
}

void PulseSoundService::bufferQueued(WaveHeader *)
{
    if (started_)
        queue_.fillFromRing(ring_, notify_);
}

int PulseSoundService::start()
{
    if (!open_)
        return kWaveInvalidHandle;
    PulseLock lock(connection_->loop());
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        started_ = true;
    }
    outageClock_.newStream(); // a corked stream's samples resume after a pause
    if (stream_)
        pa_operation_unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
    return kWaveOk;
}

int PulseSoundService::stop()
{
    if (!open_)
        return kWaveInvalidHandle;
    PulseLock lock(connection_->loop());
    if (stream_)
        pa_operation_unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
    std::lock_guard<std::mutex> guard(queueLock_);
    started_ = false;
    ring_.clear();
    queue_.forgetArrivals();
    return kWaveOk;
}

int PulseSoundService::close()
{
    if (!open_)
        return kWaveInvalidHandle;
    {
        PulseLock lock(connection_->loop());
        dropStream();
        if (timer_) {
            pa_threaded_mainloop_get_api(connection_->loop())->time_free(timer_);
            timer_ = nullptr;
        }
    }
    connection_.reset(); // joins the service's thread: nothing is posted after this
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        ring_.clear();
        outageClock_.reset();
        inUse_.clear();
    }
    announceClose();
    return kWaveOk;
}

int PulseSoundService::deviceCaps(int32_t deviceId, WaveDeviceCaps &caps)
{
    PulseConnection probe;
    if (const int error = probe.connect())
        return kWaveServerBase + error;
    const std::vector<PulseSource> list = probe.sources();
    std::string wanted = wanted_;
    if (wanted.empty() && deviceId == -1)
        wanted = probe.defaultSourceName();
    for (size_t i = 0; i < list.size(); ++i) {
        const PulseSource &s = list[i];
        const bool match = wanted.empty() ? static_cast<int32_t>(i) == deviceId
                                          : (s.name == wanted || s.description == wanted);
        if (!match)
            continue;
        caps.manufacturerID = static_cast<uint16_t>(s.card == PA_INVALID_INDEX ? 0xFFFF : s.card);
        caps.productID = static_cast<uint16_t>(s.index);
        caps.productName = productNameOf(s.description.empty() ? s.name : s.description);
        return kWaveOk;
    }
    return kWaveBadDevice;
}

std::vector<CaptureSource> PulseSoundService::sources()
{
    return watch_ ? watch_->sources() : std::vector<CaptureSource>{};
}

void PulseSoundService::watchSources(std::function<void()> changed)
{
    watch_.reset();
    if (changed)
        watch_ = std::make_unique<PulseSourceWatch>(std::move(changed));
}

std::string PulseSoundService::sourceInUse()
{
    std::lock_guard<std::mutex> guard(queueLock_);
    return inUse_;
}

// The stream's source, at open and whenever the server moves the stream.
void PulseSoundService::noteSourceInUse()
{
    const char *name = stream_ ? pa_stream_get_device_name(stream_) : nullptr;
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        inUse_ = name ? name : "";
    }
    if (open_)
        notify_(kWimSources, 0);
}

} // namespace

std::unique_ptr<SoundService> makeLiveSoundService(const LiveCaptureOptions &options)
{
    return std::make_unique<PulseSoundService>(options);
}

} // namespace tamsel
