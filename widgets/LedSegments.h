#pragma once
// The sixteen segment outlines of one LED cell, worked out from the segment sizes.
#include <array>

namespace tamsel {

struct LedPoint {
    int x = 0;
    int y = 0;
    bool operator==(const LedPoint &) const = default;
};

// A segment outline: six corners; a diagonal with no extent has none (drawable false).
struct LedPolygon {
    std::array<LedPoint, 6> points{};
    bool drawable = false;
};

inline constexpr int ledSegmentCount = 16;
using LedPolygons = std::array<LedPolygon, ledSegmentCount>;

// Segment order: top, upper left, upper right, middle, lower left, lower right, bottom,
// upper centre, lower centre, the four diagonals (upper left, upper right, lower left,
// lower right), then the centre, top and bottom dots.
LedPolygons ledSegmentPolygons(int thickness, int horzsize, int vertsize);

int ledCellWidth(int thickness, int horzsize);
int ledCellHeight(int thickness, int vertsize);

} // namespace tamsel
