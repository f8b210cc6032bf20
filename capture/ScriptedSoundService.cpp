#include "capture/ScriptedSoundService.h"

#include <algorithm>

#include "capture/WaveErrorText.h"

namespace tamsel {

int ScriptedSoundService::failure(Operation op)
{
    auto it = failures_.find(op);
    if (it == failures_.end())
        return kWaveOk;
    const int result = it->second;
    failures_.erase(it);
    return result;
}

int ScriptedSoundService::open(int32_t deviceId, const WaveFormat &format, WaveNotify notify)
{
    if (const int r = failure(kOpen))
        return r;
    if (open_)
        return kWaveAllocated;
    // Like the live service: a chosen source must exist.
    if (!selected_.empty() && find(selected_) == sources_.end())
        return kWaveBadDevice;
    opened_ = selected_;
    format_ = format;
    announceOpen(deviceId, std::move(notify));
    return kWaveOk;
}

int ScriptedSoundService::prepare(WaveHeader *header)
{
    if (const int r = failure(kPrepare))
        return r;
    return QueuedSoundService::prepare(header);
}

int ScriptedSoundService::addBuffer(WaveHeader *header)
{
    if (const int r = failure(kAddBuffer))
        return r;
    return QueuedSoundService::addBuffer(header);
}

int ScriptedSoundService::start()
{
    if (const int r = failure(kStart))
        return r;
    started_ = true;
    return kWaveOk;
}

int ScriptedSoundService::stop()
{
    if (const int r = failure(kStop))
        return r;
    started_ = false;
    return kWaveOk;
}

int ScriptedSoundService::unprepare(WaveHeader *header)
{
    if (const int r = failure(kUnprepare))
        return r;
    return QueuedSoundService::unprepare(header);
}

int ScriptedSoundService::close()
{
    if (const int r = failure(kClose))
        return r;
    if (!open_)
        return kWaveInvalidHandle;
    announceClose();
    return kWaveOk;
}

int ScriptedSoundService::deviceCaps(int32_t deviceId, WaveDeviceCaps &caps)
{
    if (const int r = failure(kCaps))
        return r;
    if (deviceId < -1 || deviceId > 0)
        return kWaveBadDevice;
    caps.manufacturerID = 1;
    caps.productID = static_cast<uint16_t>(deviceId + 2);
    caps.productName = "Scripted source";
    return kWaveOk;
}

std::string ScriptedSoundService::errorText(int result)
{
    return waveErrorText(result);
}

std::vector<CaptureSource>::const_iterator ScriptedSoundService::find(const std::string &source) const
{
    return std::find_if(sources_.begin(), sources_.end(), [&source](const CaptureSource &s) {
        return s.name == source || s.description == source;
    });
}

// The chosen source, or the first one standing in for the server's default.
std::string ScriptedSoundService::sourceInUse()
{
    if (!open_)
        return {};
    if (opened_.empty())
        return sources_.empty() ? std::string() : sources_.front().name;
    const auto it = find(opened_);
    return it == sources_.end() ? opened_ : it->name;
}

void ScriptedSoundService::setSources(std::vector<CaptureSource> list)
{
    sources_ = std::move(list);
    if (sourcesChanged_)
        sourcesChanged_();
}

bool ScriptedSoundService::deliver(const std::vector<int16_t> &samples)
{
    return deliver(samples.data(), samples.size());
}

bool ScriptedSoundService::deliver(const int16_t *samples, size_t count)
{
    if (queue_.empty())
        return false;
    queue_.fillFront(samples, count, notify_);
    return true;
}

} // namespace tamsel
