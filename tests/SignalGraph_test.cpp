#include <gtest/gtest.h>

#include "display/Canvas.h"
#include "display/Pixels.h"
#include "display/SignalBars.h"
#include "display/SignalGraph.h"

using namespace tamsel;

namespace {

constexpr int kW = 787, kH = 63; // the window's signal graph
constexpr int32_t kSweep60 = 44100 * 60;
constexpr QRgb grey = 0xFF808080;

QImage filled(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Rows of column x that hold the colour, as [first, last]; {-1, -1} when none.
std::pair<int, int> rowsOf(const QImage &image, int x, QRgb color)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) == color) {
            first = first < 0 ? y : first;
            last = y;
        }
    return {first, last};
}

// Every bar drawn in full, wipe and line, for comparison with the drawer's shortcuts.
void drawBarInFull(QImage &image, int32_t writeIndex, uint32_t value, int32_t sweep)
{
    const double h = static_cast<double>(static_cast<long double>(kW - 20) / sweep);
    const double v = static_cast<double>(static_cast<long double>(kH - 20) / 32768);
    const int x = pixelRound(static_cast<long double>(writeIndex) * h + 10);
    Canvas canvas(image);
    canvas.setBrushColor(colors::white);
    canvas.fillRect(x + 1, 0, x + 3, kH);
    canvas.setPenColor(colors::red);
    canvas.moveTo(x, kH - 10);
    canvas.lineTo(x, pixelRound(kH - 10 - static_cast<long double>(value) * v));
}

} // namespace

TEST(SignalGraphOverlay, LinesLieAtTheirLevels)
{
    const QImage overlay = SignalGraph::drawSignalOverlay(kW, kH, 15000, 1000);
    ASSERT_EQ(overlay.size(), QSize(kW, kH));
    EXPECT_EQ(rowsOf(overlay, 400, colors::green), std::make_pair(30, 30));
    EXPECT_EQ(rowsOf(overlay, 400, colors::blue), std::make_pair(52, 52));
    EXPECT_EQ(overlay.pixel(10, 30), colors::green); // from x = 10 up to W - 10, excluded
    EXPECT_EQ(overlay.pixel(kW - 11, 30), colors::green);
    EXPECT_EQ(overlay.pixel(kW - 10, 30), colors::white);
    // Left axis from y = 9 to H - 9, bottom axis at H - 9 up to W - 11; no top or right line.
    EXPECT_EQ(rowsOf(overlay, 9, colors::black), std::make_pair(9, kH - 9));
    EXPECT_EQ(rowsOf(overlay, 400, colors::black), std::make_pair(kH - 9, kH - 9));
    EXPECT_EQ(overlay.pixel(kW - 10, kH - 9), colors::white);

    EXPECT_EQ(SignalGraph::thresholdY(0, kH), 10);
    EXPECT_EQ(SignalGraph::thresholdY(32768, kH), kH - 10);
    EXPECT_EQ(SignalGraph::levelY(0, kH), kH - 10); // noise 0: one row above the bottom axis
    const QImage wild = SignalGraph::drawSignalOverlay(kW, kH, -2147483647, -2147483647);
    EXPECT_EQ(rowsOf(wild, 400, colors::green).first, -1);
    EXPECT_EQ(rowsOf(wild, 400, colors::blue).first, -1);
}

TEST(SignalBars, FullScaleBarStandsOnTheBaseLineAndReachesTen)
{
    QImage signal = filled(kW, kH, grey);
    const SignalBars bars(signal, kSweep60);
    bars.draw(signal, 0, 32768);
    // Sample 0 at x = 10; the line runs from the base line up to y = 10, excluded.
    EXPECT_EQ(rowsOf(signal, 10, colors::red), std::make_pair(11, kH - 10));
    // The two columns ahead are wiped over the full height; the third is not touched.
    EXPECT_EQ(rowsOf(signal, 11, colors::white), std::make_pair(0, kH - 1));
    EXPECT_EQ(rowsOf(signal, 12, colors::white), std::make_pair(0, kH - 1));
    EXPECT_EQ(signal.pixel(13, 0), grey);

    const int32_t sweep10 = 44100 * 10; // the last sample of a 10 s sweep at W - 10
    SignalBars(signal, sweep10).draw(signal, sweep10, 16384);
    EXPECT_EQ(rowsOf(signal, kW - 10, colors::red),
              std::make_pair(SignalGraph::levelY(16384, kH) + 1, kH - 10));
}

TEST(SignalBars, MatchBarsDrawnInFullAcrossWrapsAndOtherDrawing)
{
    const int32_t sweep = 44100; // the one-second view: about 58 samples per column
    QImage fast = filled(kW, kH, grey), full = filled(kW, kH, grey);
    const SignalBars bars(fast, sweep);
    int32_t writeIndex = 30000;
    for (int n = 0; n < 40000; ++n) {
        const uint32_t value = (n * 7919u) % 32769u / (n % 5 + 1);
        bars.draw(fast, writeIndex, value);
        drawBarInFull(full, writeIndex, value, sweep);
        if (n % 997 == 0) // a handler run between two samples marks the graph
            for (QImage *image : {&fast, &full}) {
                const int x = SignalGraph::sampleX(writeIndex, kW, sweep) + n % 3;
                Canvas canvas(*image);
                canvas.setPenColor(colors::blue);
                canvas.moveTo(x, 0);
                canvas.lineTo(x, kH);
            }
        if (++writeIndex > sweep)
            writeIndex = 0;
    }
    EXPECT_TRUE(fast == full);
}

TEST(SignalBars, ReplacedOrTinyImages)
{
    QImage signal = filled(kW, kH, colors::white);
    const SignalBars bars(signal, kSweep60);
    QImage replaced = filled(200, 100, colors::white); // a handler resized the panel mid-buffer
    bars.draw(replaced, 0, 32768);                     // the buffer's scale still holds
    EXPECT_EQ(rowsOf(replaced, 10, colors::red), std::make_pair(11, kH - 10));
    QImage gone;
    bars.draw(gone, 5, 100);
    EXPECT_TRUE(gone.isNull());

    QImage low = filled(kW, 20, grey), narrow = filled(20, kH, grey);
    SignalBars(low, kSweep60).draw(low, 100, 32768);
    SignalBars(narrow, kSweep60).draw(narrow, 0, 32768);
    SignalBars(narrow, 0).draw(narrow, 0, 32768);
    EXPECT_TRUE(low == filled(kW, 20, grey));
    EXPECT_TRUE(narrow == filled(20, kH, grey));
    EXPECT_TRUE(SignalGraph::drawSignalOverlay(15, 15, 0, 0) == filled(15, 15, colors::white));
    EXPECT_TRUE(SignalGraph::drawSignalOverlay(0, -3, 0, 0).isNull());
}

TEST(SignalGraphComposite, FrameLiesOverTheBarsWithWhiteTransparent)
{
    QImage signal = filled(kW, kH, colors::white);
    const int32_t index = kSweep60 / 2;
    const int x = SignalGraph::sampleX(index, kW, kSweep60);
    SignalBars(signal, kSweep60).draw(signal, index, 32768);
    const QImage picture =
        SignalGraph::composite(signal, SignalGraph::drawSignalOverlay(kW, kH, 15000, 1000));
    EXPECT_EQ(picture.pixel(x, 20), colors::red);   // under white overlay pixels
    EXPECT_EQ(picture.pixel(x, 30), colors::green); // the threshold line over the bar
    EXPECT_EQ(signal.pixel(x, 30), colors::red);    // the layer itself is untouched
}
