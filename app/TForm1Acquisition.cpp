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
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    qApp->setProperty("helpFile",
                      exe.path() + QLatin1Char('/') + exe.completeBaseName() + QStringLiteral(".hlp"));
    session_.start();
    capture_.open(); // its open notification queues the buffers and starts the capture
}

// What the capture session hands on.
void TForm1::wireCapture()
{
    capture_.OnBuffer = [this](const TWinWaveBuffer &buf) { WinWaveIn1ReturnBuffer(buf); };
    capture_.OnHandlingError = [this](const QString &text) { heldBoxes_.hold(text); };
    capture_.OnHandled = [this] { heldBoxes_.show(); };
    capture_.OnError = [](const QString &text) { ShowException(text); };
    capture_.OnSourcesChanged = [this] { inputMenu_.refresh(); };
    capture_.OnNewSource = [this] {
        setStartDown();
        session_.newSource();
    };
    capture_.OnSourceInUse = [this] { inputMenu_.showInUse(); };
    capture_.OnLoss = [this] {
        session_.audioLost();
        trend_->gap();
    };
    capture_.OnNoteChanged = [this] { inputMenu_.showNote(); };
    capture_.OnClosed = [this] { close(); };
}

void TForm1::WinWaveIn1ReturnBuffer(const TWinWaveBuffer &buf)
{
    Recordings1->SamplesHeard(buf);
    session_.handleBuffer(buf.Samples());
}

void TForm1::bufferStored()
{
    PaintBox2->draw(0, 0, pictures_.signalGraph());
}

// The bars of samples stored by beat detection, while Start is down; with the input filter
// on, the signal graph shows the averaged templates instead.
void TForm1::samplesStored(int32_t from, int32_t count)
{
    if (!session_.settings().running || engine().mode() != MeasuringMode::Threshold)
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

void TForm1::StartButtonClick()
{
    session_.restart();
}

void TForm1::measurementRestarted()
{
    DrawSignalOverlay();
}

void TForm1::FormCloseQuery(bool &CanClose)
{
    session_.setClosing();
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
    session_.abandonTimeSignal(); // before the settings are saved
    if (recBtn->isChecked()) {
        const QString error = recorder_.stop();
        if (!error.isEmpty())
            ShowException(error);
    }
    capture_.release();
}

} // namespace tamsel
