#pragma once
// Where a replayed recording is, in the status bar ("0:12 / 2:05"), and its end: once the
// recording's own sound has been heard, the measurement stops where it stood, so that the
// readouts keep the last readings rather than measuring the silence that follows, and the
// status bar says "End of recording".
#include <QString>
#include <cstdint>
#include <optional>

#include "capture/SoundService.h"

namespace tamsel {

class TForm1;
class TWinWaveBuffer;

class ReplayPlace {
public:
    explicit ReplayPlace(TForm1 &form) : form_(form) {}

    // Every capture buffer, before the window stores it.
    void heard(const TWinWaveBuffer &buf);
    bool ended() const { return ended_; }

    // "m:ss", or "h:mm:ss" from an hour on.
    static QString clockText(int64_t samples);

private:
    void endReached();
    void show(const RecordingPlace &place);

    TForm1 &form_;
    const SoundService *service_ = nullptr; // the replay being followed, and its opening
    uint64_t opening_ = 0;
    int64_t heard_ = 0; // samples of it heard so far
    bool ended_ = false;
};

} // namespace tamsel
