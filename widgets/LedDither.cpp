#include "widgets/LedDither.h"

namespace tamsel {

const QImage &ledDitherPattern(QRgb background, QRgb inactive)
{
    static QImage pattern;
    static QRgb lastBackground = 0;
    static QRgb lastInactive = 0;
    if (pattern.isNull() || background != lastBackground || inactive != lastInactive) {
        if (pattern.isNull())
            pattern = QImage(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pattern.setPixel(x, y, ((x ^ y) & 1) ? background : inactive);
        lastBackground = background;
        lastInactive = inactive;
    }
    return pattern;
}

} // namespace tamsel
