#include "display/SignalGraph.h"

#include "display/Canvas.h"
#include "display/Pixels.h"

namespace tamsel {

double SignalGraph::levelScale(int height)
{
    return static_cast<double>(static_cast<long double>(height - 2 * kMargin) * (1.0L / kFullScale));
}

int SignalGraph::levelY(int64_t level, int height)
{
    return pixelRound(static_cast<long double>(kFullScale - level) * levelScale(height)) + kMargin;
}

int SignalGraph::thresholdY(int64_t trackBarPosition, int height)
{
    return pixelRound(static_cast<long double>(trackBarPosition) * levelScale(height)) + kMargin;
}

int SignalGraph::sampleX(int64_t i, int width, int32_t samplesPerSweep)
{
    return pixelRound(static_cast<long double>(i) * (width - 2 * kMargin) / samplesPerSweep + kMargin);
}

QImage SignalGraph::drawSignalOverlay(int width, int height, int trackBarPosition, int32_t noiseLevel)
{
    QImage overlay = whiteLayer(width, height);
    if (!drawable(width, height))
        return overlay;
    Canvas canvas(overlay);
    canvas.setPenColor(colors::black);
    canvas.moveTo(9, 9);
    canvas.lineTo(9, height - 9);
    canvas.lineTo(width - 10, height - 9);

    const int threshold = thresholdY(trackBarPosition, height);
    canvas.setPenColor(colors::green);
    canvas.moveTo(kMargin, threshold);
    canvas.lineTo(width - kMargin, threshold);

    const int noise = levelY(noiseLevel, height);
    canvas.setPenColor(colors::blue);
    canvas.moveTo(kMargin, noise);
    canvas.lineTo(width - kMargin, noise);
    return overlay;
}

QImage SignalGraph::composite(const QImage &signalBitmap, const QImage &signalOverlay)
{
    QImage picture = signalBitmap.copy();
    Canvas(picture).drawTransparent(0, 0, signalOverlay);
    return picture;
}

} // namespace tamsel
