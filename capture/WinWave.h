#pragma once
// The capture component: the wave-input device, its buffers and its error.
// Notifications of the sound service arrive as queued events on the user-interface thread.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "capture/SoundService.h"

namespace tamsel {

class TWinWaveDevice;
class TWinWaveBuffer;

class EWinWave : public std::runtime_error {
public:
    explicit EWinWave(const std::string &text, int result = kWaveError)
        : std::runtime_error(text), result_(result)
    {}
    int result() const { return result_; } // the service's result code

private:
    int result_;
};

using TNotifyEvent = std::function<void(QObject *sender)>;
using TWinWaveReturnBufferEvent = std::function<void(TWinWaveDevice *dev, TWinWaveBuffer *buf)>;
// Audio the service lost and filled with silence, in samples (always reported).
using TWinWaveLossEvent = std::function<void(TWinWaveDevice *dev, int64_t samples)>;
// The sound server went away or failed under a running capture.
using TWinWaveFailureEvent = std::function<void(TWinWaveDevice *dev, const std::string &text)>;

enum WaveDirection : uint8_t { kDirectionOutput = 0, kDirectionInput = 1, kDirectionNone = 2 };

// Raises EWinWave with the service's text for a nonzero result.
void CheckWaveResult(SoundService *service, uint8_t direction, int result);

class TWinWaveDevice : public QObject {
public:
    ~TWinWaveDevice() override;

    void Open();
    void Start();
    void Stop();
    void Close();
    int32_t GetID();
    int32_t ID() { return GetID(); }
    virtual void SetID(int32_t value) = 0;

    uint32_t GetFormat(int index) const;
    void SetFormat(int index, uint32_t value);
    uint16_t Channels() const { return static_cast<uint16_t>(GetFormat(4)); }
    void SetChannels(uint16_t v) { SetFormat(4, v); }
    uint16_t BitsPerSample() const { return static_cast<uint16_t>(GetFormat(5)); }
    void SetBitsPerSample(uint16_t v) { SetFormat(5, v); }
    uint32_t SamplesPerSec() const { return GetFormat(6); }
    void SetSamplesPerSec(uint32_t v) { SetFormat(6, v); }
    uint16_t BlockAlign() const { return static_cast<uint16_t>(GetFormat(7)); }
    uint32_t AvgBytesPerSec() const { return GetFormat(8); }

    uint8_t Direction() const { return direction_; }
    bool Opened() const { return opened_; }
    bool Started() const { return started_; }
    int32_t StreamBytes() const { return streamBytes_; }
    int32_t QueuedCount() const { return queuedCount_; }
    int32_t PreparedCount() const { return preparedCount_; }
    const std::string &ProductName() const { return productName_; }
    int32_t ProductID() const { return productID_; }
    int32_t ManufacturerID() const { return manufacturerID_; }

    SoundService *service() const { return service_.get(); }
    // Puts another service in place of the one in use and hands that one back; closed only.
    std::unique_ptr<SoundService> swapService(std::unique_ptr<SoundService> next);

    TNotifyEvent OnOpen;
    TNotifyEvent OnClose;
    TWinWaveReturnBufferEvent OnReturnBuffer;
    TWinWaveLossEvent OnLoss;
    TWinWaveFailureEvent OnFailure;
    TNotifyEvent OnRestore;        // the sound server is back after a failure
    TNotifyEvent OnSourcesChanged; // the list of sources, or the source in use, changed

protected:
    TWinWaveDevice(QObject *owner, std::unique_ptr<SoundService> service);
    virtual bool HandleMessage(int message, intptr_t param) = 0;
    void Check(int result) const { CheckWaveResult(service_.get(), direction_, result); }
    void bufferReturned() { --queuedCount_; }
    void watchSources();

    uint8_t direction_ = kDirectionNone;
    WaveFormat format_;
    int32_t deviceId_ = -1;
    std::string productName_;
    int32_t productID_ = 0;
    int32_t manufacturerID_ = 0;

private:
    friend class TWinWaveBuffer;
    bool event(QEvent *e) override;

    std::unique_ptr<SoundService> service_;
    bool handleOpen_ = false; // a service handle is held
    bool opened_ = false;
    bool started_ = false;
    int32_t streamBytes_ = 0;
    int32_t queuedCount_ = 0;
    int32_t preparedCount_ = 0;
};

class TWinWaveIn : public TWinWaveDevice {
public:
    // Without a service the live sound server is used.
    explicit TWinWaveIn(QObject *owner, std::unique_ptr<SoundService> service = nullptr);
    void SetID(int32_t value) override;

protected:
    bool HandleMessage(int message, intptr_t param) override;
};

class TWinWaveBuffer {
public:
    explicit TWinWaveBuffer(int32_t size);
    ~TWinWaveBuffer();
    TWinWaveBuffer(const TWinWaveBuffer &) = delete;
    TWinWaveBuffer &operator=(const TWinWaveBuffer &) = delete;

    void Prepare(TWinWaveDevice *device);
    void Queue();
    void Unprepare();

    uint32_t GetHeaderField(int index) const;
    uint32_t BytesRecorded() const { return GetHeaderField(0); }
    // For the card's check: the stream's samples in, and when the service saw them come (0: not
    // timed by the service); see WaveHeader.
    uint64_t StreamSamples() const { return header_ ? header_->streamSamples : 0; }
    int64_t ArrivalNs() const { return header_ ? header_->arrivalNs : 0; }
    const char *Data() const { return data_; }
    char *Data() { return data_; }
    // The recorded samples, 16-bit little-endian as the capture format asks, whatever the
    // machine's byte order.
    std::vector<int16_t> Samples() const;
    int32_t Length() const { return length_; }
    TWinWaveDevice *Device() const { return device_; }
    int32_t StreamPosition() const { return streamPosition_; }
    WaveHeader *Header() const { return header_; }

    TWinWaveReturnBufferEvent OnReturn;

private:
    char *block_ = nullptr;
    WaveHeader *header_ = nullptr;
    char *data_ = nullptr;
    int32_t length_ = 0;
    TWinWaveDevice *device_ = nullptr;
    int32_t streamPosition_ = 0;
};

} // namespace tamsel
