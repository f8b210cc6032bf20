#include "capture/ScriptedSoundService.h"

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
    open_ = true;
    started_ = false;
    deviceId_ = deviceId;
    format_ = format;
    notify_ = std::move(notify);
    notify_(kWimOpen, 0);
    return kWaveOk;
}

int ScriptedSoundService::prepare(WaveHeader *header)
{
    if (const int r = failure(kPrepare))
        return r;
    return queue_.prepare(header);
}

int ScriptedSoundService::addBuffer(WaveHeader *header)
{
    if (const int r = failure(kAddBuffer))
        return r;
    return open_ ? queue_.add(header) : kWaveInvalidHandle;
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
    return queue_.unprepare(header);
}

int ScriptedSoundService::close()
{
    if (const int r = failure(kClose))
        return r;
    if (!open_)
        return kWaveInvalidHandle;
    queue_.clear();
    open_ = started_ = false;
    notify_(kWimClose, 0);
    return kWaveOk;
}

int ScriptedSoundService::deviceId(int32_t &id)
{
    if (!open_)
        return kWaveInvalidHandle;
    id = deviceId_;
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
