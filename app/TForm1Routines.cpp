// The window's shared drawing routines and what it does with what the engine hands on.
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/trend/Trend.h"
#include "display/Canvas.h"
#include "display/ChartFrame.h"
#include "display/ChartRuler.h"
#include "display/SignalGraph.h"
#include "display/TemplateGraph.h"

namespace tamsel {

void TForm1::ResetMeasurement()
{
    signalBitmap = whiteLayer(PaintBox2->width(), PaintBox2->height());
    traceBitmap = chartTrace_.newLayer(PaintBox1->width(), PaintBox1->height());
    DrawRuler();
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
    gridBitmap = ChartFrame::draw(PaintBox1->width(), PaintBox1->height(), seconds);
    PaintBox1->draw(0, 0, gridBitmap);
}

void TForm1::DrawSignalOverlay()
{
    signalOverlay = SignalGraph::drawSignalOverlay(PaintBox2->width(), PaintBox2->height(),
                                                   TrackBar1->value(), state.noiseLevel);
    PaintBox2->drawTransparent(0, 0, signalOverlay);
}

void TForm1::DrawRuler()
{
    rulerBitmap = ChartRuler::draw(PaintBox1->width(), PaintBox1->height(), state);
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
    chartTrace_.beginPass(traceBitmap, state);
}

void TForm1::firstBeatOfSweep()
{
    chartTrace_.drawStartBand(traceBitmap, state.viewSeconds);
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
    TraceOptions options;
    options.centreStart = N2->isChecked();
    options.graphColour2 = N210->isChecked();
    options.acMode = SpeedButton8->isChecked();
    chartTrace_.markBeat(traceBitmap, signalBitmap, state, beat, options);
}

void TForm1::readingChanged(const Reading &reading)
{
    showReading(reading);
}

// With the input filter on, the signal graph shows the averaged tick and tock.
void TForm1::templatesAveraged(const AveragedTemplates &templates)
{
    TemplatePicture picture;
    picture.tick = templates.tick;
    picture.tock = templates.tock;
    picture.tickEvents = templates.tickEvents;
    picture.tockEvents = templates.tockEvents;
    picture.samplesPerPoint = templates.samplesPerPoint;
    signalBitmap = TemplateGraph::draw(signalBitmap.width(), signalBitmap.height(), picture);
}

void TForm1::passEnded()
{
    PaintBox1->draw(0, 0, ChartTrace::composite(gridBitmap, rulerBitmap, traceBitmap, state));
    if (state.timeSignalCalibrating)
        clock_->show(); // the time left
}

} // namespace tamsel
