// Start-up, what each capture buffer brings to the sample history and the views, Start, and
// the winding down of the capture before the window may close.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/positions/PositionsDialog.h"
#include "app/recordings/RecordingsMenu.h"
#include "app/trend/Trend.h"

namespace tamsel {

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
    capture_.open(); // its open notification queues the buffers and starts the capture
}

// What the capture session hands on.
void TForm1::wireCapture()
{
    capture_.OnBuffer = [this](const TWinWaveBuffer &buf) { WinWaveIn1ReturnBuffer(buf); };
    capture_.OnHandlingError = [this](const QString &text) { heldErrors_.hold(text); };
    capture_.OnHandled = [this] { heldErrors_.show(); };
    capture_.OnError = [](const QString &text) { ShowException(text); };
    capture_.OnSourcesChanged = [this] { refreshInputMenu(); };
    capture_.OnNewSource = [this] {
        setStartDown();
        StartButtonClick(); // a new measurement, from the new source's first sample
        engine_.newSource();
    };
    capture_.OnSourceInUse = [this] { showInputInUse(); };
    capture_.OnLoss = [this] {
        countRestart();
        trend_->gap();
    };
    capture_.OnNoteChanged = [this] { showCaptureNote(); };
    capture_.OnClosed = [this] { close(); };
}

void TForm1::WinWaveIn1ReturnBuffer(const TWinWaveBuffer &buf)
{
    Recordings1->SamplesHeard(buf);
    StoreSamples(buf);
    PaintBox2->draw(0, 0, pictures_.signalGraph());
    AnalyseSamples();
    if (engine_.countingBeats())
        CountBeats();
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
    pictures_.drawSampleBars(from, count);
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
    DrawSignalOverlay();
}

void TForm1::FormCloseQuery(bool &CanClose)
{
    state.closing = true;
    CanClose = capture_.windDown();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    const bool askedBefore = state.closing;
    bool canClose = true;
    FormCloseQuery(canClose);
    if (PositionsDlg)
        PositionsDlg->MainWindowClosing();
    if (canClose) {
        event->accept();
        // Hidden when first asked, it is no longer a shown window whose closing ends the event
        // loop by itself.
        if (askedBefore && QGuiApplication::quitOnLastWindowClosed())
            QCoreApplication::quit();
        return;
    }
    event->ignore();
    if (!askedBefore) {
        // The capture winds down over its queued buffers, about a second of audio, and then
        // closes the window: off the screen meanwhile, as the user asked. One that does not
        // wind down within five seconds ends the event loop all the same.
        hide();
        QTimer::singleShot(5000, this, [] { QCoreApplication::quit(); });
    }
}

void TForm1::FormDestroy()
{
    destroyed_ = true;
    calibration_.AbandonTimeSignal(); // before the settings are saved
    if (recBtn->isChecked()) {
        const QString error = recorder_.stop();
        if (!error.isEmpty())
            ShowException(error);
    }
    capture_.release();
}

} // namespace tamsel
