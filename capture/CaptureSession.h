#pragma once
// The capture as the program runs it: the wave-input device and its four buffers, the source
// chosen and switched (a replayed recording included), the retry while no sound server is
// there, and what was lost on the way. Each filled buffer goes whole to `OnBuffer` and back to
// the device; what its owner shows of all this is its own business.
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "capture/CardClockCheck.h"
#include "capture/ComputerClock.h"
#include "capture/InputChoice.h"
#include "capture/WinWave.h"

namespace tamsel {

// The source given on the command line is not one of the sound server's.
class MissingSource : public EWinWave {
public:
    MissingSource(const QString &source, const std::vector<CaptureSource> &sources);
    QString source;
    std::vector<CaptureSource> sources; // those the server has
};

class CaptureSession {
public:
    // Without a sound service the live sound server is used.
    explicit CaptureSession(std::unique_ptr<SoundService> service = nullptr);
    ~CaptureSession();
    CaptureSession(const CaptureSession &) = delete;
    CaptureSession &operator=(const CaptureSession &) = delete;

    TWinWaveIn &device() { return *device_; }
    const std::array<std::unique_ptr<TWinWaveBuffer>, 4> &buffers() const { return buffers_; }
    InputChoice &input() { return input_; }

    // The capture format, the four buffers, and the chosen source opened; a failure is raised
    // on (MissingSource for a --device the server does not have), and without a sound server
    // the opening is tried again every second.
    void open();
    // The source the user chose (empty: the server's default), kept in the settings.
    void choose(const QString &source);
    // The server's default source for the rest of the run, in place of a missing --device;
    // the settings keep their choice.
    void openDefault();
    // A recording replayed in place of the live capture, and back to live.
    void playRecording(std::unique_ptr<SoundService> service, const QString &name);
    void playLive();
    bool playingRecording() const { return !input_.recording.isEmpty(); }
    // The source in use opened again: a recording plays from its start.
    void playAgain() { switchInput(input_.wanted); }
    // Asked to open, and yet neither capturing nor waiting for a sound server to capture from
    // (a recording that could not be read).
    bool nothingToCapture() const { return openTried_ && !device_->Opened() && !openRetry_.isActive(); }
    // Returned buffers are let go, and the device closed once all four are back; true when it
    // is closed already.
    bool windDown();
    // The device closed and the buffers freed, whatever state the capture was in.
    void release();

    int64_t lostSamples() const { return lostSamples_; }
    // The live card's rate against the computer's clock, over the run so far on this source;
    // a recording played gets none.
    const CardClockCheck &cardClock() const { return cardClock_; }
    // The clock each live buffer's arrival is read on, in nanoseconds; tests give their own.
    std::function<int64_t()> arrivalClock = monotonicNanoseconds;
    // What the status bar says of the capture; empty when all is well.
    QString note() const;
    // The source in use as the user knows it: its description, or the recording's name.
    QString sourceShown() const;

    // Each filled buffer, whole, in capture order.
    std::function<void(const TWinWaveBuffer &buf)> OnBuffer;
    // After a buffer is back on the device, with its number of samples.
    std::function<void(int samples)> OnBufferQueued;
    // An error raised while a buffer was handled; `OnHandled` once its handling has returned,
    // where boxes may open.
    std::function<void(const QString &text)> OnHandlingError;
    std::function<void()> OnHandled;
    // Whether a buffer is being handled now.
    bool handling() const { return handling_; }
    // An error to show now (a source that refuses to open).
    std::function<void(const QString &text)> OnError;
    std::function<void()> OnSourcesChanged; // the server's list, or the source wanted
    std::function<void()> OnNewSource;      // another source opened: a new stretch of audio
    std::function<void()> OnSourceInUse;    // the source in use may have changed
    std::function<void()> OnLoss;           // audio lost: before and after are not one stretch
    std::function<void()> OnNoteChanged;
    std::function<void()> OnClosed; // wound down

private:
    void deviceOpened();
    void bufferReturned(TWinWaveBuffer *buf);
    void handle(TWinWaveBuffer *buf, int64_t arrival);
    void timeArrival(int64_t now, const TWinWaveBuffer &buf);
    void checkCardAnew();
    void breakSegment(int64_t silence);
    void lost(int64_t samples);
    void failed(const std::string &text);
    void sourcesChanged();
    void retryOpen();
    void openChosenInput();
    bool openInput(const QString &source, QString *error);
    void switchInput(const QString &source);
    void reopenInput();
    bool listed(const QString &source) const;
    void error(const QString &text);
    static void fire(const std::function<void()> &event);

    std::unique_ptr<TWinWaveIn> device_;
    std::array<std::unique_ptr<TWinWaveBuffer>, 4> buffers_;
    InputChoice input_;
    QTimer openRetry_; // while no sound server was there to open
    bool openTried_ = false;
    bool handling_ = false;
    bool closing_ = false;
    int64_t lostSamples_ = 0;
    int unmeasuredLosses_ = 0;
    QString failure_;
    CardClockCheck cardClock_;
    // What the check measures: a live source at a rate.
    bool checkedLive_ = false;
    QString checkedSource_;
    uint32_t checkedRate_ = 0;
    int64_t untimed_ = 0; // samples still to come that may be silence for lost audio
    bool serverLost_ = false;
};

} // namespace tamsel
