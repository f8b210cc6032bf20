#include "display/ChartTrace.h"

#include "display/Canvas.h"
#include "display/Pixels.h"
#include "display/SignalGraph.h"

namespace tamsel {

namespace {

constexpr int kFixedBand = 20; // long views: one second would be a hairline

} // namespace

QImage ChartTrace::newLayer(int width, int height)
{
    penColor_ = colors::black;
    return whiteLayer(width, height);
}

void ChartTrace::beginPass(const QImage &traceBitmap, const MeasurementState &state)
{
    scale_ = ChartScale(traceBitmap, state);
    lastDotX_ = 0;
}

int ChartTrace::bandWidth(bool fixed) const
{
    return fixed ? kFixedBand : scale_.secondWidth();
}

void ChartTrace::drawStartBand(QImage &traceBitmap, int32_t viewSeconds)
{
    penColor_ = colors::black;
    if (!scale_.drawable())
        return;
    Canvas canvas(traceBitmap);
    canvas.setBrushColor(colors::white);
    const int64_t left = int64_t(lastDotX_) + 10;
    canvas.fillRect(pixelClamp(left), 0, pixelClamp(left + bandWidth(viewSeconds > 120)), canvas.height());
}

void ChartTrace::markBeat(QImage &traceBitmap, QImage &signalBitmap, const MeasurementState &state,
                          const Beat &beat, const TraceOptions &options)
{
    if (options.centreStart && state.beatCount == 1)
        if (const auto origin = scale_.centredOrigin(beat.beatTime))
            traceOrigin_ = *origin;
    const int x = scale_.x(beat.beatTime);
    const int y = scale_.y(beat.beatTime, traceOrigin_);
    if (options.acMode && state.viewSeconds <= 30)
        markSignalGraph(signalBitmap, state, beat);
    if (options.acMode)
        penColor_ = options.graphColour2 && !beat.inStep ? colors::red : colors::black;
    lastDotX_ = x;
    if (!scale_.drawable())
        return;

    Canvas canvas(traceBitmap);
    canvas.setBrushColor(colors::white);
    const int64_t left = int64_t(x) + 10;
    canvas.fillRect(pixelClamp(left), 0, pixelClamp(left + bandWidth(state.viewSeconds >= 120)),
                    canvas.height());
    canvas.setPenWidth(scale_.penWidth());
    auto dotAt = [&](int64_t i, QRgb color) {
        const int dx = scale_.x(i), dy = scale_.y(i, traceOrigin_);
        canvas.setPenColor(color);
        canvas.moveTo(dx, dy);
        canvas.lineTo(dx, dy);
    };
    if (options.acMode) {
        dotAt(beat.pulseEnd, colors::aqua);
        dotAt(beat.peakIndex, colors::green);
        dotAt(beat.latePeak, colors::blue);
    }
    canvas.setPenColor(penColor_);
    canvas.moveTo(x, y);
    canvas.lineTo(x, y);
}

// Where the pulse starts, peaks, peaks late and ends, as lines standing on the signal graph:
// from the sample's height in the shortest views, else from just above the base line.
void ChartTrace::markSignalGraph(QImage &signalBitmap, const MeasurementState &state, const Beat &beat) const
{
    const int ws = signalBitmap.width(), hs = signalBitmap.height();
    if (!SignalGraph::drawable(ws, hs) || state.samplesPerSweep <= 0)
        return;
    const struct {
        int64_t index;
        QRgb color;
    } marks[] = {{beat.pulseStart, colors::black},
                 {beat.peakIndex, colors::green},
                 {beat.latePeak, colors::blue},
                 {beat.pulseEnd, colors::aqua}};
    Canvas canvas(signalBitmap);
    for (const auto &mark : marks) {
        const bool fromSample = state.viewSeconds < 10;
        // An index outside the history has no sample to stand for.
        if (fromSample && (mark.index < 0 || mark.index >= SampleHistory::kCapacity))
            continue;
        const int gx = SignalGraph::sampleX(mark.index, ws, state.samplesPerSweep);
        const int top =
            fromSample
                ? pixelRound((hs - 10) -
                             static_cast<long double>(state.sampleHistory[static_cast<int32_t>(mark.index)]) *
                                 (hs - 20) / 32768)
                : hs - 9;
        canvas.setPenColor(mark.color);
        canvas.moveTo(gx, top);
        canvas.lineTo(gx, hs);
    }
}

QImage ChartTrace::composite(const QImage &gridBitmap, const QImage &rulerBitmap, const QImage &traceBitmap,
                             const MeasurementState &state)
{
    QImage picture = gridBitmap.copy();
    Canvas canvas(picture);
    if (state.rulerShown)
        canvas.drawTransparent(state.rulerX, state.rulerY, rulerBitmap);
    canvas.drawTransparent(0, 0, traceBitmap);
    return picture;
}

} // namespace tamsel
