// Start-up, the capture buffers' round trip into the sample history, Start, and the
// winding down of the capture before the window may close.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
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
    // A buffer is handled whole, and the next one after it has returned. A modal loop opened
    // by a handler (the calibration's message box) handles the buffers that come back under
    // it; errors wait until the outermost handler has returned, so that no box holds a buffer.
    ++handling_;
    try {
        HandleBuffer(dev, buf);
    } catch (const std::exception &e) {
        heldErrors_.hold(QString::fromUtf8(e.what()));
    } catch (...) {
        heldErrors_.hold(QStringLiteral("Unknown error."));
    }
    if (--handling_ == 0)
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
    AnalyseSamples();
    if (engine_.countingBeats())
        CountBeats();
    requeue.armed = false;
    buf->Queue();
    if (OnBufferHandled)
        OnBufferHandled(samples);
}

void TForm1::StoreSamples(const TWinWaveBuffer &buf)
{
    engine_.add(buf.Samples(), controls());
    followThreshold();
}

// The bars of samples stored by beat detection, while Start is down; with the input filter
// on, the signal graph shows the averaged templates instead.
void TForm1::samplesStored(int32_t from, int32_t count)
{
    if (!StartButton->isChecked() || engine_.mode() != MeasuringMode::Threshold)
        return;
    const SignalBars bars(signalBitmap, state.samplesPerSweep);
    for (int32_t i = from; i < from + count; ++i)
        bars.draw(signalBitmap, i, state.sampleHistory[i]);
}

void TForm1::sweepEnded(const SweepRecord &sweep)
{
    if (recBtn->isChecked())
        RecordSweep(sweep);
    trend_->sweepEnded(sweep);
    if (OnSweepEnd)
        OnSweepEnd();
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
    engine_.restartAveraging();
    state.writeIndex = 0;
    bpss->setValue(0); // the others were cleared with the measurement
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
