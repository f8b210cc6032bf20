#pragma once
// The wave-input operations the capture component needs, behind which sit the live
// sound server, a recording played back, or a test script.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tamsel {

// Result codes of the service: 0 is success.
enum WaveResult : int {
    kWaveOk = 0,
    kWaveError = 1,      // unspecified failure
    kWaveBadDevice = 2,  // no such capture source
    kWaveNotEnabled = 3, // no sound server
    kWaveAllocated = 4,  // already open
    kWaveInvalidHandle = 5,
    kWaveNoDriver = 6,
    kWaveNoMemory = 7,
    kWaveBadFormat = 32, // the source cannot deliver the format asked for
    kWaveStillPlaying = 33,
    kWaveUnprepared = 34,
    kWaveServerBase = 1000 // 1000 + a sound server error code
};

// A failure that may pass without the user doing anything: the sound server is not there
// (yet) or failed, rather than a wrong source or format.
inline bool serverUnavailable(int result)
{
    return result == kWaveNotEnabled || result == kWaveNoDriver || result >= kWaveServerBase;
}

// Notifications a service sends to the component's notification object.
enum WaveMessage : int {
    kWimOpen = 0x3BE,
    kWimClose = 0x3BF,
    kWimData = 0x3C0,
    kWimLoss = 0x3C1,
    kWimFailure = 0x3C2,
    kWimRestored = 0x3C3,
    kWimSources = 0x3C4 // the list of sources, or the source in use, changed
};

struct WaveFormat {
    uint16_t formatTag = 1; // PCM
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    uint16_t extraSize = 18;
};

// The buffer header the service fills; `user` leads back to the buffer object.
struct WaveHeader {
    char *data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
    void *user = nullptr;
    uint32_t flags = 0;
    uint32_t loops = 0;
    WaveHeader *next = nullptr;
    uintptr_t reserved = 0;
    // For the card's check: at `arrivalNs` on the monotonic clock, the stream's first
    // `streamSamples` samples (lost ones counted) were in. A live service times its own reads
    // (the earliest since the buffer before); otherwise `arrivalNs` is 0, and `streamSamples`
    // the samples in when the buffer was filled.
    uint64_t streamSamples = 0;
    int64_t arrivalNs = 0;
};
constexpr uint32_t kHeaderPrepared = 0x2;
constexpr uint32_t kHeaderDone = 0x1;
constexpr uint32_t kHeaderInQueue = 0x10;

struct WaveDeviceCaps {
    uint16_t manufacturerID = 0;
    uint16_t productID = 0;
    std::string productName; // at most 31 bytes
};

// A name as a product name: at most 31 bytes, cut on a character boundary of the UTF-8 text.
inline std::string productNameOf(std::string name)
{
    if (name.size() <= 31)
        return name;
    size_t cut = 31;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    name.resize(cut);
    return name;
}

// A capture source of the sound server, as the user chooses it.
struct CaptureSource {
    std::string name;        // the server's name for it: what the settings keep
    std::string description; // what the user reads
    bool monitor = false;    // records what a sink plays
    bool operator==(const CaptureSource &) const = default;
};

// A recording being played: its length in samples (-1: not known), whether it starts over at
// its end, and which opening of the service plays it (every opening plays from the start).
struct RecordingPlace {
    int64_t length = -1;
    bool loops = false;
    uint64_t opening = 0;
};

// Posts one notification to the user-interface thread, in order. `param` is a WaveHeader*
// for kWimData, a sample count for kWimLoss, an error code for kWimFailure.
using WaveNotify = std::function<void(int message, intptr_t param)>;

class SoundService {
public:
    virtual ~SoundService() = default;

    virtual int open(int32_t deviceId, const WaveFormat &format, WaveNotify notify) = 0;
    virtual int prepare(WaveHeader *header) = 0;
    virtual int addBuffer(WaveHeader *header) = 0;
    virtual int start() = 0;
    virtual int stop() = 0;
    virtual int unprepare(WaveHeader *header) = 0;
    virtual int close() = 0;
    virtual int deviceId(int32_t &id) = 0; // fails while closed
    virtual int deviceCaps(int32_t deviceId, WaveDeviceCaps &caps) = 0;
    virtual std::string errorText(int result) = 0;

    // Choosing the source. A service without a choice (a recording) lists none.
    // The sources as last seen, in the server's order.
    virtual std::vector<CaptureSource> sources() { return {}; }
    // `changed` runs on any thread after the list or the source in use changed; an empty
    // function stops the calls, none running once this returns.
    virtual void watchSources(std::function<void()> changed) { (void)changed; }
    // The source the next open() records from, by name or description; empty: the default.
    virtual void selectSource(const std::string &nameOrDescription) { (void)nameOrDescription; }
    // The name of the source the open device records from; empty when not known.
    virtual std::string sourceInUse() { return {}; }
    // What a recording's service plays; live sound has none.
    virtual std::optional<RecordingPlace> recording() const { return std::nullopt; }
};

} // namespace tamsel
