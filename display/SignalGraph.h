#pragma once
// The signal graph's geometry, its frame layer and the composite of the two layers.
// Levels run from the base line y = H - 10 (level 0) up to y = 10 (full scale, 32 768);
// sample i of the sweep lies at x = 10 (i = 0) to W - 10 (i = samplesPerSweep).
#include <QImage>
#include <cstdint>

namespace tamsel {

class SignalGraph {
public:
    static constexpr int kMargin = 10;
    static constexpr int32_t kFullScale = 32768;

    // An image needs at least one pixel of plot inside its margins to be drawn on.
    static bool drawable(int width, int height) { return width >= 21 && height >= 21; }

    // Pixels per sample unit: (H - 20) / 32 768.
    static double levelScale(int height);
    // The height of a level: Round((32 768 - level) x scale) + 10.
    static int levelY(int64_t level, int height);
    // The height of the threshold line for a track bar position: Round(position x scale) + 10.
    static int thresholdY(int64_t trackBarPosition, int height);
    // Round(i x (W - 20) / samplesPerSweep + 10); the sweep length must be positive.
    static int sampleX(int64_t i, int width, int32_t samplesPerSweep);

    // DrawSignalOverlay's image: white (transparent) with the black axes, the green
    // threshold line and the blue noise line.
    static QImage drawSignalOverlay(int width, int height, int trackBarPosition, int32_t noiseLevel);
    // A copy of the sample layer with the frame layer over it, white being transparent.
    static QImage composite(const QImage &signalBitmap, const QImage &signalOverlay);
};

} // namespace tamsel
