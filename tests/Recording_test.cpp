#include <gtest/gtest.h>

#include <charconv>
#include <random>

#include "display/Canvas.h"
#include "measurement/AnalysisOutput.h"
#include "recording/CsvLine.h"
#include "recording/MeasurementText.h"
#include "recording/ReadingText.h"
#include "recording/RecordNames.h"
#include "recording/SnapshotImage.h"

using namespace tamsel;

namespace {

const QDateTime kSweepEnd(QDate(2024, 12, 1), QTime(9, 30, 15));
const StatusTexts kPanels{
    "60sec x1", "Beat Error:", "0.200 msec", "Amplitude:", "275 deg", "Rate:", "-3.125 sec/day"};

} // namespace

TEST(CsvLine, ExampleAndEmptyFields)
{
    SweepRecord sweep;
    sweep.beatsPerSecond = 5.5;
    sweep.rateRatio = -3.125 / 86400.0;
    sweep.reading.showRate(-3.125, sweep.rateRatio);
    sweep.reading.showBeatError(0.2);
    sweep.reading.showAmplitude(275, 500, 1, AnalysisControls{});
    EXPECT_EQ(buildCsvLine("20241201093015", sweep),
              "\"20241201093015\",5.5,275,0.200,-3.125,-0.0000361689814814815");
    const std::string empty = buildCsvLine("20240102030405", SweepRecord{});
    EXPECT_EQ(empty, "\"20240102030405\",0.0,,,,0.0000000000000000000");
    EXPECT_EQ(std::count(empty.begin(), empty.end(), ','), 5);
}

// The numbers a program gets from the shown texts, worked out without them: halves away from
// zero, ties that are only ties in long double, and the nineteen places of the rate ratio.
TEST(ReadingText, ShownValueIsWhatTheTextReadsBackAs)
{
    const auto readBack = [](std::string_view picture, long double x) {
        const std::string text = FormatPicture(picture, x, ".");
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        return value;
    };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::vector<long double> values{0.0005L, -0.0005L, 2.5L, 0.05L, 0.125L, 1e-4L, -0.0004L, 0.25L, 99.95L};
    for (int i = 0; i < 20000; ++i)
        values.push_back(unit(random) * std::pow(10.0, i % 9 - 6));
    for (int i = 0; i < 2000; ++i) { // on a half, and as near one as a double comes
        values.push_back(i + 0.5L);
        values.push_back(static_cast<double>((i + 0.5L) / 1000));
    }
    for (const std::string_view picture :
         {kAmplitudePicture, kBeatRatePicture, kRatePicture, kRateRatioPicture})
        for (const long double x : values)
            ASSERT_EQ(shownValue(picture, x), readBack(picture, x))
                << picture << ' ' << static_cast<double>(x);
    EXPECT_FALSE(std::signbit(shownValue(kRatePicture, -0.0004))) << "as the text, which reads 0.000";
}

TEST(RecordNames, StampFilesAndFolder)
{
    EXPECT_EQ(recordStamp(kSweepEnd), "20241201093015");
    EXPECT_EQ(recordStamp(QDateTime(QDate(2025, 1, 2), QTime(23, 4, 5))), "20250102230405");
    EXPECT_EQ(csvLogPath("/d/", "20241201093015"), "/d/20241201093015.csv");
    EXPECT_EQ(snapshotPath("/d/", "s", false), "/d/s.bmp");
    EXPECT_EQ(snapshotPath("/d/", "s", true), "/d/s.jpg");
    EXPECT_EQ(recordFolderIn("/home/u/Documents", "/home/u", false), "/home/u/Documents/My Pictures/Tamsel/");
    EXPECT_EQ(recordFolderIn("/home/u/Documents/", "/home/u", true),
              QString("/home/u/Documents/My Pictures/タムセル/"));
    // No documents folder: the home folder; no home either: no folder at all, never the root.
    EXPECT_EQ(recordFolderIn("", "/home/u/", false), "/home/u/My Pictures/Tamsel/");
    EXPECT_EQ(recordFolderIn("", "/", false), "");
    EXPECT_EQ(recordFolderIn("", "", true), "");
}

TEST(MeasurementText, EnglishExampleLine)
{
    EXPECT_EQ(measurementText(kSweepEnd, kPanels, 5.5),
              QString("測定日時 2024/12/01 09:30:15 [60sec x1] Beat: 5.5bps(19800bph) Beat Error:0.200 msec "
                      "Amplitude:275 deg Rate:-3.125 sec/day "));
}

namespace {

constexpr int W = 60, H = 40, SH = 30;
constexpr QRgb black = 0xFF000000, red = 0xFFFF0000, green = 0xFF008000, white = 0xFFFFFFFF;

SnapshotLayers sampleLayers()
{
    SnapshotLayers layers;
    layers.gridBitmap = whiteLayer(W, H);
    Canvas grid(layers.gridBitmap);
    grid.moveTo(9, 9);
    grid.lineTo(W - 8, 9);
    layers.traceBitmap = whiteLayer(W, H);
    layers.traceBitmap.setPixel(20, 9, red);      // a dot over the frame line
    layers.signalBitmap = whiteLayer(W + 10, SH); // wider than the chart: clipped
    layers.signalBitmap.setPixel(5, 5, red);
    layers.signalOverlay = whiteLayer(W + 10, SH);
    layers.signalOverlay.setPixel(5, 5, green); // the frame lies over the samples
    layers.signalOverlay.setPixel(6, 6, green);
    return layers;
}

int darkPixels(const QImage &image, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 128;
    return count;
}

} // namespace

TEST(SnapshotImage, ScaleNotPrintedGivesTheTraceOnWhite)
{
    const SnapshotLayers layers = sampleLayers();
    const QImage image = composeSnapshot(layers, SnapshotOptions{}, QString());
    ASSERT_EQ(image.size(), QSize(W, H));
    EXPECT_EQ(image.pixel(10, 9), white); // no frame
    EXPECT_EQ(image, layers.traceBitmap);
}

TEST(SnapshotImage, AllPrintedStacksChartSignalGraphAndTextStrip)
{
    const SnapshotLayers layers = sampleLayers();
    const QImage gridBefore = layers.gridBitmap.copy();
    SnapshotOptions options;
    options.printScale = options.printSignalGraph = options.printMeasurement = true;
    const QImage image = composeSnapshot(layers, options, measurementText(kSweepEnd, kPanels, 5.5));
    ASSERT_EQ(image.size(), QSize(W, H + SH + kTextStripHeight));
    EXPECT_EQ(image.pixel(10, 9), black);
    EXPECT_EQ(image.pixel(20, 9), red);
    EXPECT_EQ(image.pixel(5, H + 5), green);
    EXPECT_EQ(image.pixel(6, H + 6), green);
    EXPECT_EQ(darkPixels(image, H, H + SH), 2);
    EXPECT_EQ(darkPixels(image, H + SH, H + SH + 2), 0); // the text cell starts 2 rows down
    EXPECT_GT(darkPixels(image, H + SH + 2, image.height()), 10);
    EXPECT_EQ(layers.gridBitmap, gridBefore); // the window's layer is left as it was
}

TEST(SnapshotImage, EmptyLayers)
{
    SnapshotLayers layers = sampleLayers();
    layers.traceBitmap = QImage(); // the 1 to 3 second views
    const QImage plain = composeSnapshot(layers, SnapshotOptions{}, QString());
    ASSERT_EQ(plain.size(), QSize(W, H));
    EXPECT_EQ(darkPixels(plain, 0, H), 0);
    SnapshotOptions all;
    all.printScale = all.printSignalGraph = all.printMeasurement = true;
    EXPECT_EQ(composeSnapshot(layers, all, QString()).pixel(10, 9), black);
    EXPECT_TRUE(composeSnapshot(SnapshotLayers{}, all, "x").isNull());
}
