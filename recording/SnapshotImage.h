#pragma once
// The picture saved at a sweep end, composed from the window's layers.
#include <QImage>
#include <QString>

#include "display/SweepPictures.h"

namespace tamsel {

// The layers as the window holds them (implicitly shared: copies are cheap and the
// window's images are never changed).
struct SnapshotLayers {
    QImage gridBitmap;    // chart frame and grid, opaque
    QImage traceBitmap;   // chart dots, white transparent; empty in the 1 to 3 second views
    QImage signalBitmap;  // signal graph samples, opaque
    QImage signalOverlay; // signal graph frame, white transparent
};

inline SnapshotLayers snapshotLayers(const SweepPictures &pictures)
{
    return {pictures.gridBitmap(), pictures.traceBitmap(), pictures.signalBitmap(), pictures.signalOverlay()};
}

// The "Recording" menu's options.
struct SnapshotOptions {
    bool jpeg = false;             // Filetype: Jpeg (else Bitmap)
    bool printScale = false;       // Scale: Print
    bool printSignalGraph = false; // Signal Graph: Print
    bool printMeasurement = false; // Measurable quantity: Print
};

constexpr int kTextStripHeight = 20;

// Chart (the grid under the trace, or the trace alone on its white), then the signal graph
// when chosen, then a 20-pixel strip with text when chosen; as wide as the chart.
// text is drawn as given (see measurementText). When the trace layer is empty (the 1 to 3
// second views) the chart is a white area the size of the grid, so that the snapshot keeps
// its size instead of becoming an image that cannot be saved.
QImage composeSnapshot(const SnapshotLayers &layers, const SnapshotOptions &options, const QString &text);

} // namespace tamsel
