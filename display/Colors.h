#pragma once
// The colours of the graphs, as opaque 32-bit pixels (0xFFRRGGBB).
#include <QRgb>

namespace tamsel::colors {

constexpr QRgb black = 0xFF000000;
constexpr QRgb white = 0xFFFFFFFF;
constexpr QRgb red = 0xFFFF0000;
constexpr QRgb green = 0xFF008000;
constexpr QRgb blue = 0xFF0000FF;
constexpr QRgb aqua = 0xFF00FFFF;
constexpr QRgb silver = 0xFFC0C0C0;

// White is the transparent colour of every overlay layer; alpha is ignored.
constexpr bool isWhite(QRgb pixel)
{
    return (pixel & 0x00FFFFFF) == 0x00FFFFFF;
}

} // namespace tamsel::colors
