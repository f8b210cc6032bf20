#include "widgets/LedSegments.h"

#include "measurement/Numbers.h"

namespace tamsel {

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

LedPolygon horizontalBar(int a, int b, int len, int h)
{
    return {{{{a, b + h},
              {a + h, b},
              {a + h + len, b},
              {a + len + 2 * h, b + h},
              {a + h + len, b + 2 * h},
              {a + h, b + 2 * h}}},
            true};
}

LedPolygon verticalBar(int a, int b, int len, int h)
{
    return {{{{a + h, b},
              {a + 2 * h, b + h},
              {a + 2 * h, b + len + h},
              {a + h, b + len + 2 * h},
              {a, b + len + h},
              {a, b + h}}},
            true};
}

LedPolygon diagonalBar(int a, int b, int dx, int dy, int t)
{
    if (dx == 0 || dy == 0)
        return {};
    // Half the thickness, ties to even: 1 for T 2, 2 for T 3 and T 5.
    const int e = static_cast<int>(Round(sign(dx) * t / 2.0L));
    const int d = static_cast<int>(Round(sign(dy) * t / 2.0L));
    return {{{{a, b}, {a + e, b}, {a + dx, b + dy - d}, {a + dx, b + dy}, {a + dx - e, b + dy}, {a, b + d}}},
            true};
}

LedPolygon dot(int a, int b, int t)
{
    return {{{{a + t, b - 1}, {a + t, b + t - 1}, {a, b + t - 1}, {a, b - 1}, {a, b - 1}, {a, b - 1}}}, true};
}

} // namespace

LedPolygons ledSegmentPolygons(int t, int hs, int vs)
{
    const int h = t / 2;
    const int c = hs / 2;
    const int x = (4 * t + hs) / 2; // left edge of the centre column
    const int r = static_cast<int>(Round(1.5L * t));
    LedPolygons s;
    s[0] = horizontalBar(2 * t, t, hs, h);
    s[1] = verticalBar(t, 2 * t, vs, h);
    s[2] = verticalBar(hs + 3 * t, 2 * t, vs, h);
    s[3] = horizontalBar(2 * t, vs + 3 * t, hs, h);
    s[4] = verticalBar(t, vs + 4 * t, vs, h);
    s[5] = verticalBar(hs + 3 * t, vs + 4 * t, vs, h);
    s[6] = horizontalBar(2 * t, 2 * vs + 5 * t, hs, h);
    s[7] = verticalBar(x, 2 * t, vs, h);
    s[8] = verticalBar(x, vs + 4 * t, vs, h);
    s[9] = diagonalBar(x - h, vs + 2 * t, t - c, t - vs, t);
    s[10] = diagonalBar(x + r, vs + 2 * t, c - t, t - vs, t);
    s[11] = diagonalBar(x - h, vs + 5 * t, t - c, vs - t, t);
    s[12] = diagonalBar(x + r, vs + 5 * t, c - t, vs - t, t);
    s[13] = dot(x - 1, vs + 3 * t, t);
    s[14] = dot(x - 1, t, t);
    s[15] = dot(x - 1, 2 * vs + 5 * t, t);
    return s;
}

int ledCellWidth(int thickness, int horzsize)
{
    return horzsize + 5 * thickness;
}

int ledCellHeight(int thickness, int vertsize)
{
    return 2 * vertsize + 7 * thickness;
}

} // namespace tamsel
