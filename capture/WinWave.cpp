#include "capture/WinWave.h"

#include <QCoreApplication>
#include <QEvent>
#include <new>

#include "capture/PulseSoundService.h"

namespace tamsel {

namespace {

const QEvent::Type kWaveEventType = static_cast<QEvent::Type>(QEvent::registerEventType());
// A returned buffer has a type of its own: it points into a buffer, and is void once the
// device is closed.
const QEvent::Type kWaveBufferEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// One service notification, queued to the device on the user-interface thread.
class WaveEvent : public QEvent {
public:
    WaveEvent(int message, intptr_t param)
        : QEvent(message == kWimData ? kWaveBufferEventType : kWaveEventType), message(message), param(param)
    {}
    int message;
    intptr_t param;
};

const char *const kNoDeviceText = "デバイスが特定できません。";

int32_t wrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace

void CheckWaveResult(SoundService *service, uint8_t direction, int result)
{
    if (result == kWaveOk)
        return;
    std::string text;
    if (direction == kDirectionInput && service)
        text = service->errorText(result).substr(0, 511);
    if (text.empty())
        text = kNoDeviceText;
    throw EWinWave(text, result);
}

// ---- device ----

TWinWaveDevice::TWinWaveDevice(QObject *owner, std::unique_ptr<SoundService> service)
    : QObject(owner), service_(std::move(service))
{}

TWinWaveDevice::~TWinWaveDevice()
{
    service_->watchSources(nullptr);
    if (handleOpen_)
        service_->close();
}

void TWinWaveDevice::watchSources()
{
    // From the service's thread: only posts, like the capture notifications.
    service_->watchSources([this] { QCoreApplication::postEvent(this, new WaveEvent(kWimSources, 0)); });
}

std::unique_ptr<SoundService> TWinWaveDevice::swapService(std::unique_ptr<SoundService> next)
{
    if (handleOpen_)
        Check(kWaveAllocated);
    service_->watchSources(nullptr);
    std::swap(service_, next);
    watchSources();
    return next;
}

void TWinWaveDevice::Open()
{
    if (direction_ != kDirectionInput)
        Check(kWaveError);
    // Called on the service's own thread: it only posts. A service sends nothing after
    // its close() has returned, Close drops the buffers still queued, and Qt drops the
    // events still queued for a deleted device.
    Check(service_->open(deviceId_, format_, [this](int message, intptr_t param) {
        QCoreApplication::postEvent(this, new WaveEvent(message, param));
    }));
    handleOpen_ = true;
    preparedCount_ = queuedCount_ = streamBytes_ = 0;
    opened_ = true;
    started_ = false;
}

void TWinWaveDevice::Start()
{
    Check(direction_ == kDirectionInput ? service_->start() : kWaveError);
    started_ = true;
}

void TWinWaveDevice::Stop()
{
    Check(direction_ == kDirectionInput ? service_->stop() : kWaveError);
    started_ = false;
}

void TWinWaveDevice::Close()
{
    Check(direction_ == kDirectionInput ? service_->close() : kWaveError);
    // Buffers returned before the close but not yet handled would reach their owner after it
    // may have freed them (a message box's loop at shutdown delivers them).
    QCoreApplication::removePostedEvents(this, kWaveBufferEventType);
    handleOpen_ = false;
    preparedCount_ = queuedCount_ = streamBytes_ = 0;
    opened_ = started_ = false;
}

int32_t TWinWaveDevice::GetID()
{
    int32_t id = 0;
    if (direction_ == kDirectionInput && handleOpen_ && service_->deviceId(id) == kWaveOk)
        return id;
    return deviceId_;
}

uint32_t TWinWaveDevice::GetFormat(int index) const
{
    switch (index) {
    case 4: return format_.channels;
    case 5: return format_.bitsPerSample;
    case 6: return format_.samplesPerSec;
    case 7: return format_.blockAlign;
    case 8: return format_.avgBytesPerSec;
    default: return 0;
    }
}

void TWinWaveDevice::SetFormat(int index, uint32_t value)
{
    if (opened_)
        return;
    switch (index) {
    case 4: format_.channels = static_cast<uint16_t>(value); break;
    case 5: format_.bitsPerSample = static_cast<uint16_t>(value); break;
    case 6: format_.samplesPerSec = value; break;
    default: return;
    }
    format_.blockAlign = static_cast<uint16_t>((format_.channels * format_.bitsPerSample) / 8);
    format_.avgBytesPerSec = format_.blockAlign * format_.samplesPerSec;
}

bool TWinWaveDevice::event(QEvent *e)
{
    if (e->type() != kWaveEventType && e->type() != kWaveBufferEventType)
        return QObject::event(e);
    auto *wave = static_cast<WaveEvent *>(e);
    HandleMessage(wave->message, wave->param);
    return true;
}

// ---- input device ----

TWinWaveIn::TWinWaveIn(QObject *owner, std::unique_ptr<SoundService> service)
    : TWinWaveDevice(owner, service ? std::move(service) : makeLiveSoundService())
{
    direction_ = kDirectionInput;
    SetID(-1);
    watchSources();
}

void TWinWaveIn::SetID(int32_t value)
{
    if (Opened())
        return;
    WaveDeviceCaps caps;
    const int result = service()->deviceCaps(value, caps);
    if (result == kWaveOk) {
        manufacturerID_ = caps.manufacturerID;
        productID_ = caps.productID;
        productName_ = productNameOf(caps.productName);
        deviceId_ = value;
    } else if (value == -1) {
        manufacturerID_ = productID_ = 0;
        productName_.clear();
        deviceId_ = -1;
    } else {
        Check(result);
    }
}

bool TWinWaveIn::HandleMessage(int message, intptr_t param)
{
    switch (message) {
    case kWimOpen:
        if (OnOpen)
            OnOpen(this);
        return true;
    case kWimClose:
        if (OnClose)
            OnClose(this);
        return true;
    case kWimData: {
        bufferReturned();
        auto *header = reinterpret_cast<WaveHeader *>(param);
        auto *buf = static_cast<TWinWaveBuffer *>(header->user);
        if (OnReturnBuffer)
            OnReturnBuffer(this, buf);
        if (buf->OnReturn)
            buf->OnReturn(this, buf);
        return true;
    }
    case kWimLoss:
        if (OnLoss)
            OnLoss(this, static_cast<int64_t>(param));
        return true;
    case kWimRestored:
        if (OnRestore)
            OnRestore(this);
        return true;
    case kWimFailure:
        if (OnFailure)
            OnFailure(this, service()->errorText(static_cast<int>(param)));
        return true;
    case kWimSources:
        if (OnSourcesChanged)
            OnSourcesChanged(this);
        return true;
    default: return false;
    }
}

// ---- buffer ----

TWinWaveBuffer::TWinWaveBuffer(int32_t size)
{
    length_ = (size / 4) * 4;
    if (length_ < 0)
        length_ = 0;
    // One block: the data area, then the header (placed on its natural alignment).
    const size_t headerOffset =
        (static_cast<size_t>(length_) + alignof(WaveHeader) - 1) & ~(alignof(WaveHeader) - 1);
    block_ = new (std::nothrow) char[headerOffset + sizeof(WaveHeader)];
    if (!block_)
        throw EWinWave("Not enough memory for a capture buffer.");
    data_ = block_;
    header_ = new (block_ + headerOffset) WaveHeader;
    header_->data = data_;
    header_->bufferLength = static_cast<uint32_t>(length_);
    header_->user = this;
}

TWinWaveBuffer::~TWinWaveBuffer()
{
    header_->~WaveHeader();
    delete[] block_;
}

void TWinWaveBuffer::Prepare(TWinWaveDevice *device)
{
    if (!device)
        CheckWaveResult(nullptr, kDirectionNone, kWaveError);
    if (device_)
        CheckWaveResult(device->service(), device->Direction(), kWaveError);
    device->Check(device->Direction() == kDirectionInput ? device->service()->prepare(header_) : kWaveError);
    device_ = device;
    ++device->preparedCount_;
}

void TWinWaveBuffer::Queue()
{
    if (!device_)
        CheckWaveResult(nullptr, kDirectionNone, kWaveError);
    device_->Check(device_->Direction() == kDirectionInput ? device_->service()->addBuffer(header_)
                                                           : kWaveError);
    streamPosition_ = device_->streamBytes_;
    device_->streamBytes_ = wrapAdd(device_->streamBytes_, length_);
    ++device_->queuedCount_;
}

void TWinWaveBuffer::Unprepare()
{
    if (!device_)
        CheckWaveResult(nullptr, kDirectionNone, kWaveError);
    device_->Check(device_->Direction() == kDirectionInput ? device_->service()->unprepare(header_)
                                                           : kWaveError);
    --device_->preparedCount_;
    device_ = nullptr;
}

std::vector<int16_t> TWinWaveBuffer::Samples() const
{
    const size_t count = BytesRecorded() / 2;
    const auto *bytes = reinterpret_cast<const uint8_t *>(data_);
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

uint32_t TWinWaveBuffer::GetHeaderField(int index) const
{
    switch (index) {
    case 0: return header_->bytesRecorded;
    case 1: return header_->flags;
    case 2: return header_->loops;
    case 3: return static_cast<uint32_t>(header_->reserved);
    default: return 0;
    }
}

} // namespace tamsel
