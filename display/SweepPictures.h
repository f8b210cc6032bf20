#pragma once
// The pictures of a measurement, kept as the engine hands on its results: the signal graph's
// samples and frame, the chart's frame, ruler and trace. The window paints its paint boxes
// from them; a snapshot is made of them, with or without a window.
#include <QImage>
#include <QSize>
#include <cstdint>

#include "display/ChartTrace.h"
#include "measurement/MeasurementListener.h"
#include "measurement/MeasurementState.h"

namespace tamsel {

// The paint boxes' sizes in the window at its designed size, as it opens.
constexpr QSize kDesignedSignalGraphSize{777, 63};
constexpr QSize kDesignedChartSize{777, 254};

class SweepPictures {
public:
    // The state is the engine's: the scales are read from it, and a centre start moves its
    // trace origin.
    explicit SweepPictures(const MeasurementState &state) : state_(state) {}

    // A new measurement at the paint boxes' sizes: a blank signal graph, a new trace layer,
    // the ruler.
    void newMeasurement(QSize signalGraph, QSize chart);
    // The frame of a view of `seconds`.
    void drawChartFrame(int32_t seconds);
    // The 1 to 3 second views have no trace.
    void dropTrace() { traceBitmap_ = QImage(); }
    // The threshold line at the track bar's position and the noise line.
    void drawSignalOverlay(int trackBarPosition);
    void drawRuler();

    // What the engine hands on.
    void drawSampleBars(int32_t from, int32_t count);
    void passStarted();
    void firstBeatOfSweep();
    void beatMarked(const Beat &beat, const TraceOptions &options);
    void templatesAveraged(const AveragedTemplates &templates);

    // The composites the paint boxes show.
    QImage chart() const;
    QImage signalGraph() const;

    const QImage &gridBitmap() const { return gridBitmap_; }
    const QImage &traceBitmap() const { return traceBitmap_; }
    const QImage &signalBitmap() const { return signalBitmap_; }
    const QImage &signalOverlay() const { return signalOverlay_; }
    const QImage &rulerBitmap() const { return rulerBitmap_; }

private:
    const MeasurementState &state_;
    ChartTrace chartTrace_;
    QSize signalSize_;
    QSize chartSize_;
    QImage signalBitmap_;
    QImage signalOverlay_;
    QImage traceBitmap_;
    QImage gridBitmap_;
    QImage rulerBitmap_;
};

} // namespace tamsel
