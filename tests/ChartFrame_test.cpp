#include <gtest/gtest.h>

#include <vector>

#include "display/ChartFrame.h"
#include "display/Colors.h"

using namespace tamsel;

namespace {

constexpr int kW = 777, kH = 254; // the window's chart panel

std::vector<int> silverColumns(const QImage &grid, int row)
{
    std::vector<int> columns;
    for (int x = 0; x < grid.width(); ++x)
        if (grid.pixel(x, row) == colors::silver)
            columns.push_back(x);
    return columns;
}

} // namespace

TEST(ChartFrame, SixtySecondViewHasALineAtTheEndOfEachSecond)
{
    const QImage grid = ChartFrame::draw(kW, kH, 60);
    ASSERT_EQ(grid.size(), QSize(kW, kH));
    const auto columns = silverColumns(grid, 20);
    ASSERT_EQ(columns.size(), 60u);
    EXPECT_EQ(columns.front(), 23); // Round(12.61...) + 10
    EXPECT_EQ(columns.back(), 767);
    // Each line runs from y = 10 to H - 11.
    EXPECT_EQ(grid.pixel(767, 10), colors::silver);
    EXPECT_EQ(grid.pixel(767, kH - 11), colors::silver);
    EXPECT_EQ(grid.pixel(767, kH - 10), colors::white);
}

TEST(ChartFrame, LongViewsHaveManyOrNoSecondLines)
{
    EXPECT_EQ(silverColumns(ChartFrame::draw(kW, kH, 300), 20).size(), 300u);
    EXPECT_TRUE(silverColumns(ChartFrame::draw(kW, kH, 600), 20).empty());
    EXPECT_TRUE(silverColumns(ChartFrame::draw(kW, kH, 900), 20).empty());
    // 378.5 rounds to the even 378.
    EXPECT_EQ(silverColumns(ChartFrame::draw(kW, kH, 2), 20), (std::vector<int>{388, 767}));
}

TEST(ChartFrame, AxesCentreLineAndCornerCircle)
{
    const QImage grid = ChartFrame::draw(kW, kH, 900);
    // Top and bottom from x = 9 to W - 9, the left axis from y = 9 to H - 10; no right line.
    for (int y : {9, kH - 9}) {
        EXPECT_EQ(grid.pixel(9, y), colors::black);
        EXPECT_EQ(grid.pixel(kW - 9, y), colors::black);
        EXPECT_EQ(grid.pixel(kW - 8, y), colors::white);
    }
    EXPECT_EQ(grid.pixel(9, kH - 10), colors::black);
    EXPECT_EQ(grid.pixel(kW - 9, 100), colors::white);
    // Centre line at H div 2 from x = 10 to W - 11.
    EXPECT_EQ(grid.pixel(10, kH / 2), colors::silver);
    EXPECT_EQ(grid.pixel(kW - 11, kH / 2), colors::silver);
    EXPECT_EQ(grid.pixel(kW - 10, kH / 2), colors::white);
    // The corner circle: outlined black, white inside, white outside it.
    EXPECT_EQ(grid.pixel(0, 0), colors::white);
    EXPECT_EQ(grid.pixel(4, 0), colors::black);
    EXPECT_EQ(grid.pixel(0, 4), colors::black);
    EXPECT_EQ(grid.pixel(4, 4), colors::white);
}

TEST(ChartFrame, TinyOrSenselessSizesDrawNothing)
{
    QImage white(20, kH, QImage::Format_RGB32);
    white.fill(colors::white);
    EXPECT_TRUE(ChartFrame::draw(20, kH, 60) == white);
    EXPECT_TRUE(ChartFrame::draw(0, 0, 60).isNull());
    EXPECT_TRUE(ChartFrame::draw(-5, 100, 60).isNull());
    EXPECT_TRUE(silverColumns(ChartFrame::draw(kW, kH, 0), 20).empty());
    EXPECT_TRUE(silverColumns(ChartFrame::draw(kW, kH, -60), 20).empty());
}
