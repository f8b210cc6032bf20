#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "display/Canvas.h"

using namespace tamsel;

namespace {

using Pixels = std::set<std::pair<int, int>>;
constexpr QRgb grey = 0xFF808080;

QImage greyImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(grey);
    return image;
}

Pixels pixelsOf(const QImage &image, QRgb color)
{
    Pixels found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == color)
                found.insert({x, y});
    return found;
}

Pixels dotPixels(int width)
{
    QImage image = greyImage(20, 20);
    Canvas canvas(image);
    canvas.setPenWidth(width);
    canvas.moveTo(10, 10);
    canvas.lineTo(10, 10);
    return pixelsOf(image, colors::black);
}

// Columns x1..x2 and rows y1..y2 (inclusive), less the corners when asked.
Pixels block(int x1, int y1, int x2, int y2, bool cornerless = false)
{
    Pixels s;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (!cornerless || !((x == x1 || x == x2) && (y == y1 || y == y2)))
                s.insert({x, y});
    return s;
}

} // namespace

TEST(Canvas, LinesExcludeTheirEndPointInEveryDirection)
{
    QImage image = greyImage(20, 20);
    Canvas canvas(image);
    canvas.moveTo(2, 3);
    canvas.lineTo(7, 3);
    EXPECT_EQ(canvas.penPos(), QPoint(7, 3));
    canvas.lineTo(7, 0);
    canvas.moveTo(15, 15);
    canvas.lineTo(12, 12);
    canvas.moveTo(1, 10);
    canvas.lineTo(12, 14); // sloped: one pixel per column, ending next to (12, 14)
    // The sloped line takes the pixel nearest to the ideal line in each column.
    const Pixels expected{{2, 3},   {3, 3},   {4, 3},   {5, 3},  {6, 3},   {7, 3},  {7, 2},  {7, 1},
                          {15, 15}, {14, 14}, {13, 13}, {1, 10}, {2, 10},  {3, 11}, {4, 11}, {5, 11},
                          {6, 12},  {7, 12},  {8, 13},  {9, 13}, {10, 13}, {11, 14}};
    EXPECT_EQ(pixelsOf(image, colors::black), expected);
}

TEST(Canvas, FarOffLinesAreClippedCheaply)
{
    QImage image = greyImage(10, 10);
    Canvas canvas(image);
    canvas.moveTo(-2000000000, 4);
    canvas.lineTo(2000000000, 4);
    canvas.moveTo(-1000000000, -1000000000);
    canvas.lineTo(1000000000, 1000000000);
    canvas.moveTo(-50, 300);
    canvas.lineTo(400, -20); // passes the image by
    const Pixels drawn = pixelsOf(image, colors::black);
    EXPECT_EQ(drawn.size(), 19u); // row 4 and the diagonal, which share (4, 4)
    EXPECT_TRUE(drawn.count({0, 0}) && drawn.count({9, 9}) && drawn.count({9, 4}));
}

TEST(Canvas, FillRectExcludesRightAndBottomEdges)
{
    QImage image = greyImage(10, 10);
    Canvas canvas(image);
    canvas.setBrushColor(colors::red);
    canvas.fillRect(2, 3, 5, 6);
    canvas.fillRect(8, 8, 8, 12); // empty
    canvas.fillRect(6, 2, 4, 1);  // inverted
    canvas.fillRect(-5, 8, 1, 100);
    Pixels expected = block(2, 3, 4, 5);
    expected.merge(block(0, 8, 0, 9));
    EXPECT_EQ(pixelsOf(image, colors::red), expected);
}

TEST(Canvas, DotsOfEachWidthCoverTheStatedPixels)
{
    EXPECT_TRUE(dotPixels(1).empty());
    EXPECT_EQ(dotPixels(2), block(9, 9, 10, 10));
    EXPECT_EQ(dotPixels(3), block(9, 9, 11, 11));
    EXPECT_EQ(dotPixels(4), block(8, 8, 11, 11, true));
    EXPECT_EQ(dotPixels(4).size(), 12u);
    EXPECT_EQ(dotPixels(5), block(8, 8, 12, 12, true));
    EXPECT_EQ(dotPixels(5).size(), 21u);

    QImage corner = greyImage(6, 6);
    Canvas canvas(corner);
    canvas.setPenWidth(5);
    canvas.moveTo(0, 0);
    canvas.lineTo(0, 0);
    Pixels quarter = block(0, 0, 2, 2);
    quarter.erase({2, 2});
    EXPECT_EQ(pixelsOf(corner, colors::black), quarter); // a dot clipped at the corner
}

TEST(Canvas, TransparentDrawSkipsOnlyPureWhiteAndClips)
{
    QImage source(3, 2, QImage::Format_RGB32);
    source.fill(colors::white);
    source.setPixel(0, 0, 0xFFFEFFFF); // near white is a colour
    source.setPixel(2, 1, colors::blue);
    QImage target = greyImage(4, 4);
    Canvas canvas(target);
    canvas.drawTransparent(1, 1, source);
    canvas.drawTransparent(-2, 2, source); // only its right column lands
    canvas.drawTransparent(10, 10, source);
    EXPECT_EQ(target.pixel(1, 1), 0xFFFEFFFFu);
    EXPECT_EQ(target.pixel(3, 2), colors::blue);
    EXPECT_EQ(target.pixel(0, 3), colors::blue);
    EXPECT_EQ(pixelsOf(target, grey).size(), 13u);
}

TEST(Canvas, OddFormatsAndNullImagesAreSafe)
{
    QImage null;
    Canvas empty(null);
    empty.fillRect(0, 0, 5, 5);
    empty.lineTo(3, 3);
    QImage grey8(4, 4, QImage::Format_Grayscale8);
    grey8.fill(0);
    Canvas canvas(grey8);
    canvas.fillRect(0, 0, 2, 4);
    EXPECT_EQ(grey8.format(), QImage::Format_RGB32);
    EXPECT_EQ(grey8.pixel(1, 3), colors::white);
    EXPECT_EQ(grey8.pixel(2, 3), colors::black);
}
