#include "display/SweepPictures.h"

#include "display/Canvas.h"
#include "display/ChartFrame.h"
#include "display/ChartRuler.h"
#include "display/SignalBars.h"
#include "display/SignalGraph.h"
#include "display/TemplateGraph.h"

namespace tamsel {

void SweepPictures::newMeasurement(QSize signalGraph, QSize chart)
{
    signalSize_ = signalGraph;
    chartSize_ = chart;
    signalBitmap_ = whiteLayer(signalSize_.width(), signalSize_.height());
    traceBitmap_ = chartTrace_.newLayer(chartSize_.width(), chartSize_.height());
    drawRuler();
}

void SweepPictures::drawChartFrame(int32_t seconds)
{
    gridBitmap_ = ChartFrame::draw(chartSize_.width(), chartSize_.height(), seconds);
}

void SweepPictures::drawSignalOverlay(int trackBarPosition)
{
    signalOverlay_ = SignalGraph::drawSignalOverlay(signalSize_.width(), signalSize_.height(),
                                                    trackBarPosition, state_.noiseLevel);
}

void SweepPictures::drawRuler()
{
    rulerBitmap_ = ChartRuler::draw(chartSize_.width(), chartSize_.height(), state_);
}

void SweepPictures::drawSampleBars(int32_t from, int32_t count)
{
    const SignalBars bars(signalBitmap_, state_.samplesPerSweep);
    for (int32_t i = from; i < from + count; ++i)
        bars.draw(signalBitmap_, i, state_.sampleHistory[i]);
}

void SweepPictures::passStarted()
{
    chartTrace_.beginPass(traceBitmap_, state_);
}

void SweepPictures::firstBeatOfSweep()
{
    chartTrace_.drawStartBand(traceBitmap_, state_.viewSeconds);
}

void SweepPictures::beatMarked(const Beat &beat, const TraceOptions &options)
{
    chartTrace_.markBeat(traceBitmap_, signalBitmap_, state_, beat, options);
}

// With the input filter on, the signal graph shows the averaged tick and tock.
void SweepPictures::templatesAveraged(const AveragedTemplates &templates)
{
    TemplatePicture picture;
    picture.tick = templates.tick;
    picture.tock = templates.tock;
    picture.tickEvents = templates.tickEvents;
    picture.tockEvents = templates.tockEvents;
    picture.samplesPerPoint = templates.samplesPerPoint;
    signalBitmap_ = TemplateGraph::draw(signalBitmap_.width(), signalBitmap_.height(), picture);
}

QImage SweepPictures::chart() const
{
    return ChartTrace::composite(gridBitmap_, rulerBitmap_, traceBitmap_, state_);
}

QImage SweepPictures::signalGraph() const
{
    return SignalGraph::composite(signalBitmap_, signalOverlay_);
}

} // namespace tamsel
