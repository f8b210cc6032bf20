// The window's shared drawing routines and what it does with what the engine hands on.
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/trend/Trend.h"

namespace tamsel {

void TForm1::ResetMeasurement()
{
    pictures_.newMeasurement(PaintBox2->size(), PaintBox1->size());
    state.clearSweepDetection();
    trend_->gap();
    engine_.restartReadings();
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
    pictures_.drawSignalOverlay(TrackBar1->value());
    PaintBox2->drawTransparent(0, 0, pictures_.signalOverlay());
}

void TForm1::DrawRuler()
{
    pictures_.drawRuler();
}

void TForm1::AnalyseSamples()
{
    engine_.analyse(controls());
}

void TForm1::CountBeats()
{
    engine_.countBeats(controls());
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
    DrawSignalOverlay();
    CountBeats();
}

void TForm1::passStarted()
{
    pictures_.passStarted();
}

void TForm1::firstBeatOfSweep()
{
    pictures_.firstBeatOfSweep();
}

void TForm1::timeSignalCalibrationEnded(bool heard)
{
    clock_->calibrationEnded(heard);
    if (engine_.averagingAsked())
        measuringModeChanged(); // before the box, under which capture goes on
    ShowMessage(heard ? QStringLiteral("Time signal calibration end.")
                      : QStringLiteral("No time signal heard"));
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

} // namespace tamsel
