#pragma once
// A sound service that plays a recording (or any sample source) into the capture
// component's buffers, on the user-interface thread.
//
// Paced: buffers come back at the pace of the audio, by the clock, as from a sound card
// (a consumer that falls behind loses nothing: the buffers catch up).
// Unpaced: one buffer at a time, as fast as the consumer takes them; the next buffer is
// filled only when the previous one has been queued again (or unprepared), that is after
// its handler has returned, so a run is the same every time.
//
// At the end of a recording that does not loop, the last (shorter) buffer comes back and
// then nothing more; `onEnd` runs from the event loop once that buffer has been handed
// back, and ended() turns true. Buffers queued after the end stay with the service until
// it is closed.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/QueuedSoundService.h"
#include "capture/SampleSource.h"

namespace tamsel {

struct FileSoundOptions {
    std::string path;                     // the recording to play, when no source is given
    std::unique_ptr<SampleSource> source; // samples already at hand, or a generator
    bool paced = false;
    bool loop = false;           // start over at the end
    std::function<void()> onEnd; // the end of the recording was reached and handled
    std::string error;           // why the recording given cannot be played: no source then
};

class FileSoundService : public QueuedSoundService {
public:
    static constexpr int kRate = 44100;

    explicit FileSoundService(FileSoundOptions options);
    ~FileSoundService() override;

    int open(int32_t deviceId, const WaveFormat &format, WaveNotify notify) override;
    int start() override;
    int stop() override;
    int close() override;
    int deviceCaps(int32_t deviceId, WaveDeviceCaps &caps) override;
    // The recording's own error text for kWaveBadDevice when it could not be read.
    std::string errorText(int result) override;
    std::optional<RecordingPlace> recording() const override;

    // Why the recording cannot be played; empty when it can.
    const std::string &error() const { return error_; }
    bool ended() const { return ended_; }
    int64_t samplesDelivered() const { return position_; }

private:
    void bufferQueued(WaveHeader *header) override;
    void bufferUnprepared(WaveHeader *header) override;
    void deliver();
    bool fillFront();
    void release(WaveHeader *header);
    void checkEnd();
    size_t readLooping(int16_t *out, size_t count);

    FileSoundOptions options_;
    std::string error_;
    std::deque<WaveHeader *> pending_;    // the queued buffers, front first (sizes to fill)
    std::vector<WaveHeader *> handedOut_; // returned and not yet given back
    std::vector<int16_t> scratch_;
    bool exhausted_ = false;
    bool ended_ = false;
    bool endPosted_ = false;
    int64_t position_ = 0;   // samples delivered since open
    int64_t paceBase_ = 0;   // position_ when the clock started
    uint64_t openCount_ = 0; // a queued end notice of an earlier opening is dropped
    QElapsedTimer clock_;
    std::unique_ptr<QTimer> timer_;
    std::unique_ptr<QObject> context_; // owns queued calls; they die with the service
};

} // namespace tamsel
