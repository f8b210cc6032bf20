#pragma once
// Pixel sets of segment outlines, worked out once per geometry so that drawing a cell
// is only a matter of filling rows.
#include "widgets/LedSegments.h"

#include <span>
#include <vector>

namespace tamsel {

// Columns x0 .. x1-1 of row y.
struct LedSpan {
    int y = 0;
    int x0 = 0;
    int x1 = 0;
    bool operator==(const LedSpan &) const = default;
};
using LedSpans = std::vector<LedSpan>;

// The interior of a polygon (even-odd), pixel centres on integer points: a point on a
// top or left edge is inside, one on a bottom or right edge is not, so that the fill
// never reaches past the outline a pen would draw.
LedSpans ledFillSpans(std::span<const LedPoint> polygon);

// The outline (one-pixel lines from each corner up to, not including, the next, closed
// back to the first) together with the interior: a polygon outlined and filled in one colour.
LedSpans ledOutlinedSpans(std::span<const LedPoint> polygon);

// The pixels of a line from p up to, but not including, q; ties of the minor axis
// go to the larger coordinate.
std::vector<LedPoint> ledLinePixels(LedPoint p, LedPoint q);

} // namespace tamsel
