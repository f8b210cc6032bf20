// The window's shared drawing routines and what it does with what the engine hands on.
#include <QSignalBlocker>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/trend/Trend.h"
#include "display/ChartTrace.h"

namespace tamsel {

void TForm1::ResetMeasurement()
{
    session_.resetMeasurement();
}

void TForm1::measurementReset()
{
    pictures_.newMeasurement(PaintBox2->size(), PaintBox1->size());
    trend_->gap();
    clearReadouts(Reading::kMeasures);
    colourRateReadout();
    colourBeatErrorReadout();
    setStartDown();
}

void TForm1::DrawChartFrame(int32_t seconds)
{
    pictures_.drawChartFrame(seconds);
    PaintBox1->draw(0, 0, pictures_.gridBitmap());
}

void TForm1::DrawSignalOverlay()
{
    pictures_.drawSignalOverlay(session_.settings().thresholdPosition);
    PaintBox2->drawTransparent(0, 0, pictures_.signalOverlay());
}

void TForm1::DrawRuler()
{
    pictures_.drawRuler();
}

void TForm1::Panel4Resize()
{
    ResetMeasurement();
    DrawSignalOverlay();
}

void TForm1::Panel6Resize()
{
    ResetMeasurement();
    DrawChartFrame(state.viewSeconds);
}

void TForm1::TrackBar1Change()
{
    session_.moveThreshold(TrackBar1->value());
}

// Moved by hand or following the signal: the track bar shows it without counting anew.
void TForm1::thresholdChanged()
{
    const QSignalBlocker quiet(TrackBar1);
    TrackBar1->setMaximum(session_.settings().thresholdMaximum);
    TrackBar1->setValue(session_.settings().thresholdPosition);
    DrawSignalOverlay();
}

void TForm1::passStarted()
{
    pictures_.passStarted();
}

void TForm1::firstBeatOfSweep()
{
    pictures_.firstBeatOfSweep();
}

// The box waits until the buffer whose pass ended the calibration has been handled.
void TForm1::timeSignalCalibrationEnded(bool heard)
{
    clock_->calibrationEnded(heard);
    heldBoxes_.holdMessage(heard ? QStringLiteral("Time signal calibration end.")
                                 : QStringLiteral("No time signal heard"));
    if (!capture_.handling())
        heldBoxes_.show();
}

void TForm1::beatMarked(const Beat &beat)
{
    pictures_.beatMarked(beat, {N2->isChecked(), N210->isChecked(), SpeedButton8->isChecked()});
}

void TForm1::readingChanged(const Reading &reading)
{
    showReading(reading);
}

void TForm1::templatesAveraged(const AveragedTemplates &templates)
{
    pictures_.templatesAveraged(templates);
}

void TForm1::passEnded()
{
    PaintBox1->draw(0, 0, pictures_.chart());
    if (state.timeSignalCalibrating)
        clock_->show(); // the time left
}

// The measurement restarted at the new length. A view of 10 seconds or more re-plots the
// current sweep at the new scale next; one of 1 to 3 seconds shows the chart's frame only and
// the sound on the signal graph.
void TForm1::viewChosen(int32_t seconds)
{
    viewMenu_.lengthChosen(seconds);
    DrawSignalOverlay();
    DrawChartFrame(seconds);
    if (MeasurementSession::shortView(seconds)) {
        pictures_.dropTrace();
        PaintBox1->draw(0, 0, pictures_.traceBitmap());
    }
}

void TForm1::zoomChosen(int32_t factor)
{
    viewMenu_.zoomChosen(factor);
}

void TForm1::PaintBox1MouseDown(int x, int y)
{
    if (ChartTrace::cornerPressed(x, y))
        session_.toggleRuler();
}

} // namespace tamsel
