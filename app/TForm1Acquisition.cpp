// Start-up, the capture buffers' round trip into the sample history, Start, and the
// winding down of the capture before the window may close.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <utility>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/positions/PositionsDialog.h"
#include "app/trend/Trend.h"
#include "display/SignalBars.h"
#include "display/SignalGraph.h"

namespace tamsel {

namespace {
// Pending events are processed once per this many stored samples (1.45 ms of audio): every
// handler still runs between two samples of a buffer, at a small fraction of the cost of
// pumping after each one.
constexpr int kSamplesPerPump = 64;
// Opening attempts while no sound server is there. Without a server the attempt fails at
// once, so trying on the user-interface thread costs nothing noticeable.
constexpr int kOpenRetryMs = 1000;
} // namespace

void TForm1::FormCreate()
{
    if (!fineCorrectionAllowed(state.fineCorrection))
        state.fineCorrection = 0;
    state.samplesPerSecond = kNominalSampleRate + state.fineCorrection;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    qApp->setProperty("helpFile",
                      exe.path() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".hlp"));
    state.samplesPerSweep = state.samplesPerSecond * 60;
    state.viewSeconds = 60;
    state.beatsPerSecond = 0;
    state.writeIndex = state.intervalStart = state.lastBeatIndex = state.beatCount = 0;
    state.traceOrigin = 5020;
    state.beatMark1 = state.beatMark2 = 0;
    state.liftAngle = 52;
    state.closing = state.timeSignalCalibrating = state.rulerShown = false;
    state.rulerX = state.rulerY = 0;
    ResetMeasurement();
    WinWaveIn1->SetBitsPerSample(16);
    WinWaveIn1->SetChannels(1);
    WinWaveIn1->SetSamplesPerSec(44100);
    for (auto &buffer : captureBuffers)
        buffer = std::make_unique<TWinWaveBuffer>(static_cast<int32_t>(WinWaveIn1->AvgBytesPerSec() / 4));
    try {
        openChosenInput();
    } catch (const EWinWave &e) {
        // No sound server yet: shown as any failure, and then tried again in the background
        // until one appears, as the live service does after losing one.
        if (serverUnavailable(e.result())) {
            if (!openRetry_) {
                openRetry_ = new QTimer(this);
                openRetry_->callOnTimeout(this, &TForm1::retryOpen);
            }
            openRetry_->start(kOpenRetryMs);
            showCaptureNote();
        }
        throw;
    }
}

void TForm1::retryOpen()
{
    if (!state.closing && !WinWaveIn1->Opened()) {
        try {
            openChosenInput(); // its open notification starts the capture
        } catch (const EWinWave &e) {
            if (serverUnavailable(e.result()))
                return;
            openRetry_->stop();
            showCaptureNote();
            throw; // a server is there, but it cannot give what is asked for
        }
    }
    openRetry_->stop();
    showCaptureNote();
}

void TForm1::WinWaveIn1Open(QObject *)
{
    for (auto &buffer : captureBuffers) {
        buffer->Prepare(WinWaveIn1);
        buffer->Queue();
    }
    WinWaveIn1->Start();
}

void TForm1::WinWaveIn1ReturnBuffer(TWinWaveDevice *dev, TWinWaveBuffer *buf)
{
    // One buffer at a time, in capture order: a buffer that comes back while another is
    // being handled (whose handler processes pending events) waits until that handler has
    // returned. Errors wait too, so that no box holds a buffer. But a handler under a modal
    // loop opened meanwhile (the calibration's message box, a dialog from a menu) returns
    // only when that loop ends: the buffers are handled in that loop, and the first of them
    // stores the rest of that handler's buffer before its own.
    waitingBuffers_.push_back(buf);
    const int level = QThread::currentThread()->loopLevel();
    if (handlingBuffer_ && level == handlingLevel_)
        return;
    const bool outerHandling = std::exchange(handlingBuffer_, true);
    const int outerLevel = std::exchange(handlingLevel_, level);
    while (!waitingBuffers_.empty()) {
        TWinWaveBuffer *next = waitingBuffers_.front();
        waitingBuffers_.pop_front();
        try {
            HandleBuffer(dev, next);
        } catch (const std::exception &e) {
            heldErrors_.hold(QString::fromUtf8(e.what()));
        } catch (...) {
            heldErrors_.hold(QStringLiteral("Unknown error."));
        }
    }
    handlingBuffer_ = outerHandling;
    handlingLevel_ = outerLevel;
    if (!handlingBuffer_)
        heldErrors_.show();
}

void TForm1::HandleBuffer(TWinWaveDevice *dev, TWinWaveBuffer *buf)
{
    // Closing, or switching to another source: the buffers come back to be unprepared.
    if (state.closing || input_.switching) {
        buf->Unprepare();
        if (dev->PreparedCount() <= 0) {
            if (!state.closing) {
                reopenInput();
                return;
            }
            dev->Stop();
            dev->Close();
            close();
        }
        return;
    }
    // A buffer whose handling ends in an error still goes back to the device, so that all
    // four keep circulating.
    struct Requeue {
        TWinWaveBuffer *buf;
        bool armed = true;
        ~Requeue()
        {
            if (armed && buf->Device())
                try {
                    buf->Queue();
                } catch (...) {
                }
        }
    } requeue{buf};

    const int samples = static_cast<int>(buf->BytesRecorded() / 2);
    if (OnSamplesHeard)
        OnSamplesHeard(*buf);
    StoreSamples(*buf);
    PaintBox2->draw(0, 0, SignalGraph::composite(signalBitmap, signalOverlay));
    // With the input filter on, the averaging measurement has taken the buffer as it was stored.
    AnalyseSamples();
    if (state.samplesPerSecond <= state.writeIndex && state.writeIndex < 3 * state.samplesPerSecond)
        CountBeats();
    requeue.armed = false;
    buf->Queue();
    if (OnBufferHandled)
        OnBufferHandled(samples);
}

// A buffer's samples on their way into the history.
struct TForm1::Storing {
    const TWinWaveBuffer &buf;
    SignalBars bars;                   // the drawing scale, taken once per buffer
    int next = 0;                      // the next sample to store
    std::vector<uint16_t> conditioned; // with the input filter on, what is stored in place of |s|
    bool measured = false;             // the averaging measurement has had the whole buffer
};

void TForm1::StoreSamples(const TWinWaveBuffer &buf)
{
    // Under a modal loop opened while another buffer was being stored: its rest comes first.
    if (storing_)
        storeRest(*storing_);
    Storing mine{buf, SignalBars(signalBitmap, state.samplesPerSweep), 0, conditionedMagnitudes(buf, 0)};
    struct Current {
        Storing *&storing;
        Storing *outer;
        ~Current() { storing = outer; }
    } current{storing_, std::exchange(storing_, &mine)};
    storeRest(mine);
}

void TForm1::storeRest(Storing &storing)
{
    const int n = static_cast<int>(storing.buf.BytesRecorded() / 2);
    const auto *bytes = reinterpret_cast<const uint8_t *>(storing.buf.Data());
    while (storing.next < n) {
        const int p = storing.next++;
        const auto s = static_cast<int16_t>(bytes[2 * p] | (bytes[2 * p + 1] << 8));
        const auto magnitude = storing.conditioned.empty()
                                   ? static_cast<uint16_t>(s < 0 ? -static_cast<int32_t>(s) : s)
                                   : storing.conditioned[static_cast<size_t>(p)];
        state.sampleHistory[state.writeIndex] = magnitude;
        if (StartButton->isChecked() && storing.conditioned.empty())
            storing.bars.draw(signalBitmap, state.writeIndex, magnitude);
        ++state.writeIndex;
        ++samplesHeard_;
        if (p % kSamplesPerPump == kSamplesPerPump - 1)
            QCoreApplication::processEvents();
        if (state.writeIndex > state.samplesPerSweep) {
            state.writeIndex = 0;
            state.clearSweepDetection();
            if (recBtn->isChecked())
                RecordSweep();
            trend_->sweepEnded();
            if (OnSweepEnd)
                OnSweepEnd();
        }
    }
    followThreshold();
    if (!storing.conditioned.empty() && !storing.measured) {
        storing.measured = true;
        microphone_.add(storing.buf);
    }
}

// The input filter was switched while a buffer is being stored (from a handler run between
// two of its samples): the rest of it is stored as the filter now says.
void TForm1::storeRestAsSet()
{
    if (storing_)
        storing_->conditioned = conditionedMagnitudes(storing_->buf, static_cast<size_t>(storing_->next));
}

// Every restart of the measurement and every gap in its audio comes through here: what was
// measured before it and what comes after are not one stretch of the watch's sound.
void TForm1::countRestart()
{
    ++state.restarts;
}

void TForm1::StartButtonClick()
{
    if (!StartButton->isChecked())
        return;
    countRestart();
    ResetMeasurement();
    microphone_.reset();
    state.writeIndex = 0;
    for (TLEDLabel *readout : {spd, kaku, katatime, bpss})
        readout->setValue(0);
    DrawSignalOverlay();
}

void TForm1::FormCloseQuery(bool &CanClose)
{
    state.closing = true;
    CanClose = !WinWaveIn1->Opened();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (PositionsDlg)
        PositionsDlg->MainWindowClosing();
    if (canClose)
        event->accept();
    else
        event->ignore();
}

// A channel for end-to-end tests: with QUORLEN_READOUT_FILE set, the readouts as they
// stand when the window goes are written there, with how much audio they were measured on.
static void writeReadoutsForTests(const TForm1 &form)
{
    const QString path = qEnvironmentVariable("QUORLEN_READOUT_FILE");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    out << "bpss=" << form.bpss->caption() << "\nspd=" << form.spd->value()
        << "\nkatatime=" << form.katatime->caption() << "\nkaku=" << form.kaku->value()
        << "\npanel2=" << form.StatusBar1->panelText(2) << "\npanel4=" << form.StatusBar1->panelText(4)
        << "\npanel6=" << form.StatusBar1->panelText(6) << "\nbeatsPerSecond=" << form.state.beatsPerSecond
        << "\nlostSamples=" << form.lostSamples() << "\nsamplesHeard=" << form.samplesHeard() << "\n";
}

void TForm1::FormDestroy()
{
    destroyed_ = true;
    writeReadoutsForTests(*this);
    calibration_.AbandonTimeSignal(); // before the settings are saved
    if (recBtn->isChecked()) {
        const QString error = recorder_.stop();
        if (!error.isEmpty())
            ShowException(error);
    }
    signalBitmap = signalOverlay = traceBitmap = gridBitmap = rulerBitmap = QImage();
    // The service must let go of the buffers before they are freed: a device still open
    // here (the window destroyed without the close request) is closed first.
    if (WinWaveIn1->Opened()) {
        try {
            WinWaveIn1->Close();
        } catch (const EWinWave &) {
        }
    }
    waitingBuffers_.clear();
    for (auto &buffer : captureBuffers)
        buffer.reset();
}

void TForm1::WinWaveIn1Loss(TWinWaveDevice *, int64_t samples)
{
    if (samples > 0)
        lostSamples_ += samples;
    else
        ++unmeasuredLosses_;
    countRestart();
    trend_->gap();
    showCaptureNote();
}

void TForm1::WinWaveIn1Failure(TWinWaveDevice *, const std::string &text)
{
    failure_ = QString::fromUtf8(text);
    showCaptureNote();
}

void TForm1::showCaptureNote()
{
    QStringList parts;
    if (!input_.note.isEmpty())
        parts << input_.note;
    if (openRetry_ && openRetry_->isActive())
        parts << QStringLiteral("No sound server: retrying");
    if (!failure_.isEmpty())
        parts << QStringLiteral("Sound server lost: %1. Reconnecting.").arg(failure_);
    if (lostSamples_ > 0)
        parts << QStringLiteral("Audio lost: %1 s, filled with silence.")
                     .arg(static_cast<double>(lostSamples_) / kNominalSampleRate, 0, 'f', 3);
    if (unmeasuredLosses_ > 0)
        parts << QStringLiteral("The sound server dropped audio %1 times.").arg(unmeasuredLosses_);
    StatusBar1->setCaptureNote(parts.join(QLatin1Char(' ')), true);
}

} // namespace tamsel
