#include "capture/WaveErrorText.h"

#include <pulse/error.h>

#include "capture/SoundService.h"

namespace tamsel {

std::string waveErrorText(int result)
{
    if (result >= kWaveServerBase)
        return pa_strerror(result - kWaveServerBase);
    switch (result) {
    case kWaveOk: return "";
    case kWaveError: return "Unspecified error.";
    case kWaveBadDevice: return "No such capture source.";
    case kWaveNotEnabled: return "No sound server is running.";
    case kWaveAllocated: return "The capture device is already open.";
    case kWaveInvalidHandle: return "The capture device is not open.";
    case kWaveNoDriver: return "No sound server connection.";
    case kWaveNoMemory: return "Not enough memory.";
    case kWaveBadFormat: return "The capture source cannot deliver the format asked for.";
    case kWaveStillPlaying: return "The buffer is still in use by the capture device.";
    case kWaveUnprepared: return "The buffer is not prepared.";
    default: return "Unknown error " + std::to_string(result) + ".";
    }
}

} // namespace tamsel
