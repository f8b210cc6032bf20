#pragma once
// The 8 x 8 checkerboard that unlit segments are filled with.
#include <QImage>

namespace tamsel {

// One pattern for every LED object: a pixel (x, y) is the background colour where x and y
// differ in parity and the unlit colour elsewhere. Redrawn only when the pair of colours
// differs from the pair it was last drawn with.
const QImage &ledDitherPattern(QRgb background, QRgb inactive);

} // namespace tamsel
