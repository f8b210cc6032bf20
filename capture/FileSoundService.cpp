#include "capture/FileSoundService.h"

#include <algorithm>

#include "capture/AudioFile.h"
#include "capture/WaveErrorText.h"

namespace tamsel {

namespace {

constexpr int kPaceIntervalMs = 5;

} // namespace

FileSoundService::FileSoundService(FileSoundOptions options)
    : options_(std::move(options)), context_(std::make_unique<QObject>())
{
    if (options_.source)
        return;
    if (!options_.error.empty()) {
        error_ = options_.error;
        return;
    }
    if (options_.path.empty()) {
        error_ = "No recording was given.";
        return;
    }
    auto file = std::make_unique<AudioFile>();
    if (file->open(options_.path))
        options_.source = std::move(file);
    else
        error_ = file->error();
}

FileSoundService::~FileSoundService()
{
    if (timer_)
        timer_->stop();
}

int FileSoundService::open(int32_t deviceId, const WaveFormat &format, WaveNotify notify)
{
    if (!options_.source)
        return kWaveBadDevice;
    if (open_)
        return kWaveAllocated;
    if (deviceId != -1 && deviceId != 0)
        return kWaveBadDevice;
    if (format.formatTag != 1 || format.channels != 1 || format.bitsPerSample != 16 ||
        format.samplesPerSec != static_cast<uint32_t>(kRate))
        return kWaveBadFormat;
    // Every opening plays from the start.
    if (position_ > 0 || exhausted_)
        options_.source->rewind();
    position_ = paceBase_ = 0;
    exhausted_ = ended_ = endPosted_ = false;
    ++openCount_;
    announceOpen(deviceId, std::move(notify));
    return kWaveOk;
}

void FileSoundService::bufferQueued(WaveHeader *header)
{
    pending_.push_back(header);
    release(header);
    deliver();
}

void FileSoundService::bufferUnprepared(WaveHeader *header)
{
    release(header);
    deliver();
}

int FileSoundService::start()
{
    if (!open_)
        return kWaveInvalidHandle;
    if (started_)
        return kWaveOk;
    started_ = true;
    if (options_.paced) {
        paceBase_ = position_;
        clock_.start();
        if (!timer_) {
            timer_ = std::make_unique<QTimer>();
            timer_->setTimerType(Qt::PreciseTimer);
            timer_->setInterval(kPaceIntervalMs);
            QObject::connect(timer_.get(), &QTimer::timeout, context_.get(), [this] { deliver(); });
        }
        timer_->start();
    }
    deliver();
    return kWaveOk;
}

int FileSoundService::stop()
{
    if (!open_)
        return kWaveInvalidHandle;
    started_ = false;
    if (timer_)
        timer_->stop();
    return kWaveOk;
}

int FileSoundService::close()
{
    if (!open_)
        return kWaveInvalidHandle;
    if (timer_)
        timer_->stop();
    pending_.clear();
    handedOut_.clear();
    announceClose();
    return kWaveOk;
}

int FileSoundService::deviceCaps(int32_t deviceId, WaveDeviceCaps &caps)
{
    if (!options_.source || (deviceId != -1 && deviceId != 0))
        return kWaveBadDevice;
    caps.manufacturerID = 0;
    caps.productID = 0;
    caps.productName = productNameOf(options_.source->name());
    return kWaveOk;
}

std::string FileSoundService::errorText(int result)
{
    if (result == kWaveBadDevice && !error_.empty())
        return error_;
    return waveErrorText(result);
}

std::optional<RecordingPlace> FileSoundService::recording() const
{
    if (!options_.source)
        return std::nullopt;
    return RecordingPlace{options_.source->length(), options_.loop, openCount_};
}

// Hands back what is due: unpaced, the front buffer when none is out with the consumer;
// paced, every queued buffer whose samples the clock has reached.
void FileSoundService::deliver()
{
    if (!open_ || !started_)
        return;
    if (!options_.paced) {
        if (handedOut_.empty())
            fillFront();
    } else {
        const long double elapsed = static_cast<long double>(clock_.nsecsElapsed()) * kRate / 1e9L;
        const int64_t due = paceBase_ + static_cast<int64_t>(elapsed);
        while (!pending_.empty() && position_ + pending_.front()->bufferLength / 2 <= due)
            if (!fillFront())
                break;
    }
    checkEnd();
}

bool FileSoundService::fillFront()
{
    if (pending_.empty() || exhausted_)
        return false;
    WaveHeader *header = pending_.front();
    const size_t size = header->bufferLength / 2;
    size_t count = 0;
    if (size > 0) {
        if (scratch_.size() < size)
            scratch_.resize(size);
        count = readLooping(scratch_.data(), size);
        // A short read is the end (or, looping, a source that cannot start over).
        if (count < size)
            exhausted_ = true;
        if (count == 0)
            return false;
    }
    pending_.pop_front();
    handedOut_.push_back(header);
    position_ += static_cast<int64_t>(count);
    queue_.fillFront(scratch_.data(), count, notify_);
    return true;
}

size_t FileSoundService::readLooping(int16_t *out, size_t count)
{
    size_t done = options_.source->read(out, count);
    while (done < count && options_.loop) {
        if (!options_.source->rewind())
            break;
        const size_t more = options_.source->read(out + done, count - done);
        if (more == 0)
            break;
        done += more;
    }
    return done;
}

void FileSoundService::release(WaveHeader *header)
{
    handedOut_.erase(std::remove(handedOut_.begin(), handedOut_.end(), header), handedOut_.end());
    checkEnd();
}

// The end is told once the last buffer has been handed back, from the event loop, so
// that whoever listens may close the device at once.
void FileSoundService::checkEnd()
{
    if (!exhausted_ || !handedOut_.empty() || endPosted_)
        return;
    endPosted_ = ended_ = true;
    if (!options_.onEnd)
        return;
    const uint64_t opening = openCount_;
    QMetaObject::invokeMethod(
        context_.get(),
        [this, opening] {
            if (opening == openCount_ && options_.onEnd)
                options_.onEnd();
        },
        Qt::QueuedConnection);
}

} // namespace tamsel
