#include "display/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tamsel {

namespace {

bool is32Bit(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

int64_t isqrt(int64_t value)
{
    if (value <= 0)
        return 0;
    auto root = static_cast<int64_t>(std::sqrt(static_cast<long double>(value)));
    while (root * root > value)
        --root;
    while ((root + 1) * (root + 1) <= value)
        ++root;
    return root;
}

} // namespace

Canvas::Canvas(QImage &image)
{
    if (image.isNull())
        return;
    if (!is32Bit(image.format()))
        image = image.convertToFormat(QImage::Format_RGB32);
    bits_ = image.bits(); // detaches a shared image before we write
    stride_ = image.bytesPerLine();
    width_ = image.width();
    height_ = image.height();
}

QRgb Canvas::pixel(int x, int y) const
{
    return inside(x, y) ? row(y)[x] : 0;
}

void Canvas::span(int64_t y, int64_t x1, int64_t x2, QRgb color)
{
    if (y < 0 || y >= height_)
        return;
    x1 = std::max<int64_t>(x1, 0);
    x2 = std::min<int64_t>(x2, width_);
    if (x1 < x2)
        std::fill(row(static_cast<int>(y)) + x1, row(static_cast<int>(y)) + x2, color);
}

void Canvas::column(int64_t x, int64_t y1, int64_t y2, QRgb color)
{
    if (x < 0 || x >= width_)
        return;
    y1 = std::max<int64_t>(y1, 0);
    y2 = std::min<int64_t>(y2, height_);
    for (int64_t y = y1; y < y2; ++y)
        row(static_cast<int>(y))[x] = color;
}

void Canvas::fill(QRgb color)
{
    for (int y = 0; y < height_; ++y)
        std::fill(row(y), row(y) + width_, color | 0xFF000000);
}

void Canvas::fillRect(int x1, int y1, int x2, int y2)
{
    const int64_t left = std::max<int64_t>(x1, 0), right = std::min<int64_t>(x2, width_);
    const int64_t top = std::max<int64_t>(y1, 0), bottom = std::min<int64_t>(y2, height_);
    if (left >= right)
        return;
    const int64_t count = right - left;
    QRgb *line = row(0) + left;
    for (int64_t y = top; y < bottom; ++y) {
        QRgb *pixel = reinterpret_cast<QRgb *>(reinterpret_cast<uchar *>(line) + y * stride_);
        for (int64_t i = 0; i < count; ++i)
            pixel[i] = brush_;
    }
}

void Canvas::lineTo(int x, int y)
{
    const QPoint from = pos_;
    pos_ = QPoint(x, y);
    if (from == pos_) {
        if (penWidth_ > 1)
            dot(x, y);
        return;
    }
    if (penWidth_ == 1 && from.x() == x) { // the signal bars: one clipped column
        if (y > from.y())
            column(x, from.y(), y, pen_);
        else
            column(x, int64_t(y) + 1, int64_t(from.y()) + 1, pen_);
        return;
    }
    if (penWidth_ == 1 && from.y() == y) {
        if (x > from.x())
            span(y, from.x(), x, pen_);
        else
            span(y, int64_t(x) + 1, int64_t(from.x()) + 1, pen_);
        return;
    }
    thinLine(from.x(), from.y(), x, y, penWidth_ > 1);
}

// Point k (0 <= k < n, n the steps along the major axis) lies k steps along the major axis
// and round(k * minor / n) along the minor one, halves away from the start: the pixels
// Bresenham's algorithm picks. Only the steps that can touch the image are visited, so a
// line with far-off ends costs no more than one across the image.
void Canvas::thinLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, bool wide)
{
    const int64_t adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
    const int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    const bool xMajor = adx >= ady;
    const int64_t n = xMajor ? adx : ady;
    const int64_t minor = xMajor ? ady : adx;
    const int64_t start = xMajor ? x0 : y0;
    const int64_t step = xMajor ? sx : sy;
    const int64_t limit = xMajor ? width_ : height_;
    const int64_t margin = wide ? penWidth_ : 0;

    int64_t kLo = 0, kHi = n - 1;
    if (step > 0) {
        kLo = std::max(kLo, -margin - start);
        kHi = std::min(kHi, limit + margin - 1 - start);
    } else {
        kLo = std::max(kLo, start - (limit + margin - 1));
        kHi = std::min(kHi, start + margin);
    }
    __extension__ using Wide = __int128;
    for (int64_t k = kLo; k <= kHi; ++k) {
        const auto offset = static_cast<int64_t>((Wide(2) * k * minor + n) / (Wide(2) * n));
        const int64_t px = xMajor ? x0 + sx * k : x0 + sx * offset;
        const int64_t py = xMajor ? y0 + sy * offset : y0 + sy * k;
        if (wide)
            dot(px, py);
        else
            plot(px, py, pen_);
    }
}

void Canvas::dot(int64_t cx, int64_t cy)
{
    const int64_t d = penWidth_;
    const bool even = d % 2 == 0;
    // Rows by their centre's offset v from the dot's centre, in half pixels.
    const int64_t jLo = std::max(-(d / 2), -cy);
    const int64_t jHi = std::min(even ? d / 2 - 1 : d / 2, int64_t(height_) - 1 - cy);
    for (int64_t j = jLo; j <= jHi; ++j) {
        const int64_t v = 2 * j + (even ? 1 : 0);
        const int64_t reach = isqrt(d * d - v * v);
        if (even) {
            const int64_t t = (reach + 1) / 2; // columns whose odd offset u has |u| <= reach
            span(cy + j, cx - t, cx + t, pen_);
        } else {
            const int64_t t = reach / 2; // columns whose even offset u has |u| <= reach
            span(cy + j, cx - t, cx + t + 1, pen_);
        }
    }
}

void Canvas::ellipse(int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    // In doubled coordinates the box spans x1*2..x2*2 and pixel p has its centre at 2p+1.
    const int64_t w = int64_t(x2) - x1, h = int64_t(y2) - y1;
    const int64_t cx = int64_t(x1) + x2, cy = int64_t(y1) + y2;
    __extension__ using Wide = __int128;
    auto in = [&](int64_t px, int64_t py) {
        if (px < x1 || px >= x2 || py < y1 || py >= y2)
            return false;
        const Wide u = 2 * px + 1 - cx, v = 2 * py + 1 - cy;
        return u * u * h * h + v * v * w * w <= Wide(w) * w * h * h;
    };
    const int64_t top = std::max<int64_t>(y1, 0), bottom = std::min<int64_t>(y2, height_);
    const int64_t left = std::max<int64_t>(x1, 0), right = std::min<int64_t>(x2, width_);
    for (int64_t py = top; py < bottom; ++py)
        for (int64_t px = left; px < right; ++px) {
            if (!in(px, py))
                continue;
            const bool rim = !in(px - 1, py) || !in(px + 1, py) || !in(px, py - 1) || !in(px, py + 1);
            plot(px, py, rim ? pen_ : brush_);
        }
}

void Canvas::drawTransparent(int x, int y, const QImage &source)
{
    if (source.isNull() || bits_ == nullptr)
        return;
    const QImage converted =
        is32Bit(source.format()) ? QImage() : source.convertToFormat(QImage::Format_RGB32);
    const QImage &src = converted.isNull() ? source : converted;
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(int64_t(x) + src.width(), width_);
    const int64_t top = std::max<int64_t>(y, 0),
                  bottom = std::min<int64_t>(int64_t(y) + src.height(), height_);
    for (int64_t ty = top; ty < bottom; ++ty) {
        const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(static_cast<int>(ty - y)));
        QRgb *out = row(static_cast<int>(ty));
        // Branch-free so that the compiler can take several pixels at once.
        for (int64_t tx = left; tx < right; ++tx) {
            const QRgb pixel = in[tx - x];
            out[tx] = colors::isWhite(pixel) ? out[tx] : pixel | 0xFF000000;
        }
    }
}

QImage whiteLayer(int width, int height)
{
    if (width <= 0 || height <= 0)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colors::white);
    return image;
}

} // namespace tamsel
