#include "widgets/LedRaster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace tamsel {

namespace {

int64_t floorDiv(int64_t num, int64_t den) // den > 0
{
    int64_t q = num / den;
    if ((num % den != 0) && (num < 0))
        --q;
    return q;
}

int64_t ceilDiv(int64_t num, int64_t den)
{
    return -floorDiv(-num, den);
}

// x = num / den with den > 0, where an edge crosses a row.
struct Crossing {
    int64_t num;
    int64_t den;
};

// A small mask over the polygon's bounding box, read back as row spans.
class Mask {
public:
    explicit Mask(std::span<const LedPoint> polygon)
    {
        if (polygon.empty())
            return;
        left_ = right_ = polygon[0].x;
        top_ = bottom_ = polygon[0].y;
        for (const LedPoint &p : polygon) {
            left_ = std::min(left_, p.x);
            right_ = std::max(right_, p.x);
            top_ = std::min(top_, p.y);
            bottom_ = std::max(bottom_, p.y);
        }
        width_ = right_ - left_ + 1;
        bits_.assign(static_cast<size_t>(width_) * (bottom_ - top_ + 1), false);
    }

    void set(int x, int y)
    {
        if (x >= left_ && x <= right_ && y >= top_ && y <= bottom_)
            bits_[static_cast<size_t>(y - top_) * width_ + (x - left_)] = true;
    }

    LedSpans spans() const
    {
        LedSpans out;
        for (int y = top_; !bits_.empty() && y <= bottom_; ++y) {
            const size_t row = static_cast<size_t>(y - top_) * width_;
            for (int x = 0; x < width_;) {
                if (!bits_[row + x]) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < width_ && bits_[row + x])
                    ++x;
                out.push_back({y, left_ + start, left_ + x});
            }
        }
        return out;
    }

private:
    int left_ = 0, right_ = -1, top_ = 0, bottom_ = -1, width_ = 0;
    std::vector<bool> bits_;
};

void fillInto(Mask &mask, std::span<const LedPoint> polygon)
{
    if (polygon.size() < 3)
        return;
    int top = polygon[0].y, bottom = polygon[0].y;
    for (const LedPoint &p : polygon) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    std::vector<Crossing> crossings;
    for (int y = top; y < bottom; ++y) {
        crossings.clear();
        for (size_t i = 0; i < polygon.size(); ++i) {
            LedPoint a = polygon[i];
            LedPoint b = polygon[(i + 1) % polygon.size()];
            if (a.y == b.y)
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            if (y < a.y || y >= b.y)
                continue;
            const int64_t den = b.y - a.y;
            crossings.push_back({int64_t(a.x) * den + int64_t(y - a.y) * (b.x - a.x), den});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing &l, const Crossing &r) { return l.num * r.den < r.num * l.den; });
        for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const int64_t from = ceilDiv(crossings[i].num, crossings[i].den);
            const int64_t to = ceilDiv(crossings[i + 1].num, crossings[i + 1].den);
            for (int64_t x = from; x < to; ++x)
                mask.set(static_cast<int>(x), y);
        }
    }
}

} // namespace

std::vector<LedPoint> ledLinePixels(LedPoint p, LedPoint q)
{
    const int dx = q.x - p.x;
    const int dy = q.y - p.y;
    const int n = std::max(std::abs(dx), std::abs(dy));
    std::vector<LedPoint> out;
    out.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        // Offset along each axis: i * d / n, rounded with ties upwards.
        const int ox = static_cast<int>(floorDiv(2LL * i * dx + n, 2LL * n));
        const int oy = static_cast<int>(floorDiv(2LL * i * dy + n, 2LL * n));
        out.push_back({p.x + ox, p.y + oy});
    }
    return out;
}

LedSpans ledFillSpans(std::span<const LedPoint> polygon)
{
    Mask mask(polygon);
    fillInto(mask, polygon);
    return mask.spans();
}

LedSpans ledOutlinedSpans(std::span<const LedPoint> polygon)
{
    Mask mask(polygon);
    fillInto(mask, polygon);
    for (size_t i = 0; i < polygon.size(); ++i)
        for (const LedPoint &p : ledLinePixels(polygon[i], polygon[(i + 1) % polygon.size()]))
            mask.set(p.x, p.y);
    return mask.spans();
}

} // namespace tamsel
