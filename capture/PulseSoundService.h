#pragma once
// The live sound service: records from a PulseAudio (or pipewire-pulse) source on the
// service's own thread into a ring of its own, and hands full buffers on in order.
#include <memory>

#include "capture/SoundService.h"

namespace tamsel {

struct LiveCaptureOptions {
    size_t ringSamples = 60 * 44100; // what a stalled window may fall behind before audio is lost
};

std::unique_ptr<SoundService> makeLiveSoundService(const LiveCaptureOptions &options = {});

} // namespace tamsel
