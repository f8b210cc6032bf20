#pragma once
// The timing chart's trace layer: one dot per beat, drawn as the analysis pass accepts
// beats, with the bands that wipe the previous sweep ahead of the newest dot, and the chart
// composite put on screen after each pass. The trace pen belongs to the layer: its colour
// carries over from pass to pass until a new layer is made.
#include <QImage>
#include <cstdint>

#include "display/ChartScale.h"
#include "display/Colors.h"
#include "measurement/AnalysisOutput.h"
#include "measurement/MeasurementState.h"

namespace tamsel {

// The menu options the marks read, as the window's check marks stand.
struct TraceOptions {
    bool centreStart = true;   // Center Start "Yes"
    bool graphColour2 = false; // GraphColor "2": out-of-step beats in red
    bool acMode = false;       // the A-C mode button is down
};

class ChartTrace {
public:
    // A new trace layer (white, transparent) of the given size; the pen turns black as on
    // any new layer. A size of 0 or less gives the empty layer of the shortest views.
    QImage newLayer(int width, int height);

    // Pass start: the scale factors and the pen width from the layer and the state.
    void beginPass(const QImage &traceBitmap, const MeasurementState &state);
    // The first beat of a sweep: clears the band right of the last dot of this pass (or the
    // left edge of the plot) and turns the pen black.
    void drawStartBand(QImage &traceBitmap, int32_t viewSeconds);
    // One accepted beat: centre start, the erase-ahead band, in A-C mode the pulse dots and
    // (views up to 30 s) the four marks on the signal graph, then the beat's own dot.
    void markBeat(QImage &traceBitmap, QImage &signalBitmap, const MeasurementState &state, const Beat &beat,
                  const TraceOptions &options);

    const ChartScale &scale() const { return scale_; }
    QRgb penColor() const { return penColor_; }
    // The sample that maps to the chart's top line; centre start moves it.
    int32_t traceOrigin() const { return traceOrigin_; }

    // A copy of the frame, the ruler at (rulerX, rulerY) when shown, then the trace; white
    // is transparent in both overlays.
    static QImage composite(const QImage &gridBitmap, const QImage &rulerBitmap, const QImage &traceBitmap,
                            const MeasurementState &state);
    // A press on the chart's corner circle toggles the ruler.
    static bool cornerPressed(int x, int y) { return x <= 10 && y <= 10; }

private:
    void markSignalGraph(QImage &signalBitmap, const MeasurementState &state, const Beat &beat) const;
    int bandWidth(bool fixed) const;

    ChartScale scale_;
    QRgb penColor_ = colors::black;
    int lastDotX_ = 0;
    int32_t traceOrigin_ = 5020;
};

} // namespace tamsel
