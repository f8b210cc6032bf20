#pragma once
// A small drawing surface over a 32-bit QImage with the graphs' exact pixel rules:
// - a line covers its first point up to, but not including, its second (Bresenham);
// - a filled rectangle (x1, y1)-(x2, y2) covers columns x1..x2-1 and rows y1..y2-1;
// - a zero-length line with a pen wider than one pixel is a round dot of that diameter
//   (a one-pixel pen draws nothing for it, as the end point is excluded);
// - drawing one image onto another leaves out pure white pixels;
// - everything off the image is clipped silently.
//
// A dot of diameter d centred on (cx, cy), measured in half pixels from the dot's centre:
// for odd d the centre is the middle of pixel (cx, cy), for even d the corner shared by
// pixels (cx-1, cy-1) and (cx, cy); a pixel is covered when its own centre lies within d/2.
//   d = 2: the 2x2 square cx-1..cx, cy-1..cy
//   d = 3: the 3x3 square cx-1..cx+1, cy-1..cy+1
//   d = 4: the 4x4 square cx-2..cx+1, cy-2..cy+1 less its four corners (12 pixels)
//   d = 5: the 5x5 square cx-2..cx+2, cy-2..cy+2 less its four corners (21 pixels)
//
// The canvas keeps a pointer into the image's pixels: make one per drawing operation and
// do not resize or replace the image while it lives.
#include <QImage>
#include <QPoint>
#include <cstdint>

#include "display/Colors.h"

namespace tamsel {

class Canvas {
public:
    // Converts the image to 32-bit RGB first if it holds another format.
    explicit Canvas(QImage &image);

    int width() const { return width_; }
    int height() const { return height_; }

    void setPenColor(QRgb color) { pen_ = color | 0xFF000000; }
    QRgb penColor() const { return pen_; }
    // Nothing on a graph needs a wider pen; it keeps a dot's squared distances small.
    static constexpr int kMaxPenWidth = 4096;
    // Widths are held within 1..kMaxPenWidth.
    void setPenWidth(int width) { penWidth_ = width < 1 ? 1 : (width > kMaxPenWidth ? kMaxPenWidth : width); }
    int penWidth() const { return penWidth_; }
    void setBrushColor(QRgb color) { brush_ = color | 0xFF000000; }
    QRgb brushColor() const { return brush_; }

    void moveTo(int x, int y) { pos_ = QPoint(x, y); }
    QPoint penPos() const { return pos_; }
    // Draws from the pen position to (x, y), excluding (x, y), and moves the pen there.
    void lineTo(int x, int y);
    // Fills with the brush; an empty or inverted rectangle fills nothing.
    void fillRect(int x1, int y1, int x2, int y2);
    // The whole image in one colour.
    void fill(QRgb color);
    // The ellipse inscribed in the box x1..x2-1, y1..y2-1: inside in the brush colour,
    // its one-pixel rim in the pen colour.
    void ellipse(int x1, int y1, int x2, int y2);
    // Copies every pixel of source that is not pure white, with its top left at (x, y).
    void drawTransparent(int x, int y, const QImage &source);

    QRgb pixel(int x, int y) const;

private:
    QRgb *row(int y) const { return reinterpret_cast<QRgb *>(bits_ + static_cast<qsizetype>(y) * stride_); }
    bool inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    void plot(int64_t x, int64_t y, QRgb color)
    {
        if (inside(x, y))
            row(static_cast<int>(y))[x] = color;
    }
    void span(int64_t y, int64_t x1, int64_t x2, QRgb color);   // columns x1..x2-1, clipped
    void column(int64_t x, int64_t y1, int64_t y2, QRgb color); // rows y1..y2-1, clipped
    void dot(int64_t cx, int64_t cy);
    void thinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, bool wide);

    uchar *bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
    QRgb pen_ = colors::black;
    int penWidth_ = 1;
    QRgb brush_ = colors::white;
    QPoint pos_;
};

// A new opaque 32-bit layer of the given size, filled white; null when either side is 0 or less.
QImage whiteLayer(int width, int height);

} // namespace tamsel
