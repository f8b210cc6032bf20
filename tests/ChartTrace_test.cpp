#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "display/Canvas.h"
#include "display/ChartFrame.h"
#include "display/ChartRuler.h"
#include "display/ChartTrace.h"
#include "display/SignalGraph.h"

using namespace tamsel;

namespace {

constexpr int kW = 777, kH = 254;  // the chart panel
constexpr int kSW = 787, kSH = 63; // the signal graph panel

class ChartTraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state = std::make_unique<MeasurementState>();
        state->samplesPerSecond = 44100;
        setView(60);
        state->beatsPerSecond = 5;
        state->zoom = 1;
        trace = chart.newLayer(kW, kH);
        signal = QImage(kSW, kSH, QImage::Format_RGB32);
        signal.fill(colors::white);
    }
    void setView(int32_t seconds)
    {
        state->viewSeconds = seconds;
        state->samplesPerSweep = state->samplesPerSecond * seconds;
    }
    Beat beatAt(int32_t time, bool inStep = true)
    {
        Beat beat;
        beat.beatTime = beat.peakIndex = beat.pulseEnd = beat.latePeak = time;
        beat.pulseStart = static_cast<uint32_t>(time);
        beat.inStep = inStep;
        return beat;
    }

    std::unique_ptr<MeasurementState> state;
    ChartTrace chart;
    QImage trace, signal;
};

} // namespace

TEST_F(ChartTraceTest, ScaleFactorsAtTheLayoutSize)
{
    chart.beginPass(trace, *state);
    const ChartScale &scale = chart.scale();
    EXPECT_DOUBLE_EQ(scale.vertical(), 234.0 / 8820);
    EXPECT_DOUBLE_EQ(scale.horizontal(), 757.0 / 2646000);
    EXPECT_DOUBLE_EQ(scale.span(), 8820);
    EXPECT_EQ(scale.penWidth(), 3);
    EXPECT_EQ(scale.secondWidth(), 13);
    EXPECT_EQ(scale.x(2646000), kW - 10);
    EXPECT_EQ(ChartScale::penWidthFor(300), 2);
    EXPECT_LT(scale.y(0, 5020), 10); // below the origin: above the plot (remainder keeps the sign)
    EXPECT_EQ(scale.y(5020 + 8820, 5020), 10);

    state->zoom = 0; // taken as 1
    EXPECT_DOUBLE_EQ(ChartScale(trace, *state).vertical(), 234.0 / 8820);
    state->beatsPerSecond = 0; // no rate yet: eight beats per second
    EXPECT_DOUBLE_EQ(ChartScale(trace, *state).span(), 5512.5);
}

TEST_F(ChartTraceTest, CentreStartPutsTheFirstBeatInTheMiddle)
{
    chart.beginPass(trace, *state);
    state->beatCount = 1;
    chart.markBeat(trace, signal, *state, beatAt(10000), {});
    EXPECT_EQ(chart.traceOrigin(), -3230);
    EXPECT_EQ(chart.scale().y(10000, chart.traceOrigin()), 127);
    const int x = chart.scale().x(10000); // a dot of width 3
    EXPECT_EQ(trace.pixel(x - 1, 126), colors::black);
    EXPECT_EQ(trace.pixel(x + 1, 128), colors::black);
    EXPECT_EQ(trace.pixel(x + 2, 127), colors::white);

    state->beatCount = 2; // only the first beat moves the origin
    chart.markBeat(trace, signal, *state, beatAt(20000), {});
    EXPECT_EQ(chart.traceOrigin(), -3230);
    state->beatCount = 1;
    chart.markBeat(trace, signal, *state, beatAt(20000), {.centreStart = false});
    EXPECT_EQ(chart.traceOrigin(), -3230);
}

TEST_F(ChartTraceTest, EraseAheadBandWidthByView)
{
    for (auto [seconds, band] : {std::pair{60, 13}, {120, 20}, {300, 20}}) {
        setView(seconds);
        trace = chart.newLayer(kW, kH);
        Canvas canvas(trace);
        canvas.setBrushColor(colors::red);
        canvas.fillRect(0, 0, kW, 5);
        chart.beginPass(trace, *state);
        const Beat beat = beatAt(state->samplesPerSweep / 2);
        const int x = chart.scale().x(beat.beatTime);
        chart.markBeat(trace, signal, *state, beat, {});
        EXPECT_EQ(trace.pixel(x + 9, 0), colors::red) << seconds;
        EXPECT_EQ(trace.pixel(x + 10, 0), colors::white) << seconds;
        EXPECT_EQ(trace.pixel(x + 9 + band, 4), colors::white) << seconds;
        EXPECT_EQ(trace.pixel(x + 10 + band, 4), colors::red) << seconds;
    }
}

TEST_F(ChartTraceTest, StartBandFollowsTheLastDotAndTurnsThePenBlack)
{
    setView(120);
    Canvas(trace).fill(colors::red);
    chart.beginPass(trace, *state);
    chart.drawStartBand(trace, state->viewSeconds); // no dot yet: the plot's left edge
    EXPECT_EQ(trace.pixel(9, 100), colors::red);
    EXPECT_EQ(trace.pixel(15, 100), colors::white); // one second: 6 pixels
    EXPECT_EQ(trace.pixel(16, 100), colors::red);

    chart.markBeat(trace, signal, *state, beatAt(441000, false), {.graphColour2 = true, .acMode = true});
    EXPECT_EQ(chart.penColor(), colors::red);
    const int x = chart.scale().x(441000);
    Canvas(trace).fill(colors::red);
    chart.drawStartBand(trace, state->viewSeconds);
    EXPECT_EQ(chart.penColor(), colors::black);
    EXPECT_EQ(trace.pixel(x + 10, 0), colors::white);
    EXPECT_EQ(trace.pixel(x + 16, 0), colors::red);
}

TEST_F(ChartTraceTest, GraphColoursAndPulseDots)
{
    chart.beginPass(trace, *state);
    Beat beat = beatAt(100000, false);
    beat.peakIndex = 120000;
    beat.latePeak = 140000;
    beat.pulseEnd = 160000;
    const TraceOptions colour2{.graphColour2 = true, .acMode = true};
    chart.markBeat(trace, signal, *state, beat, colour2);
    auto at = [&](int32_t i) {
        return trace.pixel(chart.scale().x(i), chart.scale().y(i, chart.traceOrigin()));
    };
    EXPECT_EQ(at(100000), colors::red);
    EXPECT_EQ(at(120000), colors::green);
    EXPECT_EQ(at(140000), colors::blue);
    EXPECT_EQ(at(160000), colors::aqua);

    chart.markBeat(trace, signal, *state, beatAt(300000, true), {}); // peak mode keeps red
    EXPECT_EQ(at(300000), colors::red);
    chart.markBeat(trace, signal, *state, beatAt(400000, true), colour2);
    EXPECT_EQ(at(400000), colors::black);
    chart.markBeat(trace, signal, *state, beatAt(500000, false), {.acMode = true}); // colour 1
    EXPECT_EQ(at(500000), colors::black);
    chart.newLayer(kW, kH);
    EXPECT_EQ(chart.penColor(), colors::black);
}

TEST_F(ChartTraceTest, SignalGraphMarksInShortViews)
{
    setView(30);
    chart.beginPass(trace, *state);
    Beat beat = beatAt(400000);
    beat.peakIndex = 500000;
    beat.latePeak = 600000;
    beat.pulseEnd = 700000;
    chart.markBeat(trace, signal, *state, beat, {.acMode = true});
    const std::pair<int32_t, QRgb> marks[] = {
        {400000, colors::black}, {500000, colors::green}, {600000, colors::blue}, {700000, colors::aqua}};
    for (auto [index, color] : marks) {
        const int gx = SignalGraph::sampleX(index, kSW, state->samplesPerSweep);
        EXPECT_EQ(signal.pixel(gx, kSH - 10), colors::white);
        EXPECT_EQ(signal.pixel(gx, kSH - 9), color);
        EXPECT_EQ(signal.pixel(gx, kSH - 1), color);
    }

    QImage untouched = signal.copy();
    setView(40);
    chart.beginPass(trace, *state);
    chart.markBeat(trace, signal, *state, beatAt(900000), {.acMode = true});
    EXPECT_EQ(signal, untouched);
}

TEST_F(ChartTraceTest, ShortestViewsMarkFromTheSampleHeightWithAnEmptyTrace)
{
    setView(2);
    QImage empty = chart.newLayer(0, 0);
    state->sampleHistory[44100] = 32768;
    chart.beginPass(empty, *state);
    chart.markBeat(empty, signal, *state, beatAt(44100), {.acMode = true});
    EXPECT_TRUE(empty.isNull());
    const int gx = SignalGraph::sampleX(44100, kSW, state->samplesPerSweep);
    EXPECT_EQ(signal.pixel(gx, 9), colors::white);
    EXPECT_EQ(signal.pixel(gx, 10), colors::aqua); // pulse end drawn last, over the others
    Beat wild = beatAt(44100);
    wild.pulseStart = 0xFFFFFFFFu; // no such sample: the mark is left out
    wild.pulseEnd = -5;
    chart.markBeat(empty, signal, *state, wild, {.acMode = true});

    QImage tiny = chart.newLayer(20, kH); // too narrow for a plot: nothing drawn
    chart.beginPass(tiny, *state);
    chart.drawStartBand(tiny, 2);
    chart.markBeat(tiny, signal, *state, beatAt(1000), {});
    EXPECT_TRUE(tiny == chart.newLayer(20, kH));
    EXPECT_TRUE(ChartRuler::draw(20, 20, *state).isNull());
}

TEST_F(ChartTraceTest, RulerMarksEveryTenMillisecondsFromTheMiddle)
{
    const QImage ruler = ChartRuler::draw(kW, kH, *state);
    ASSERT_EQ(ruler.size(), QSize(757, 234));
    std::set<int> expected;
    // Step 5 is 5 x 441 x k with k = 234 / 8820 held as a double: just under 58.5, so 58.
    for (int r : {0, 12, 23, 35, 47, 58, 70, 82, 94, 105, 117}) {
        if (117 + r < 234)
            expected.insert(117 + r);
        expected.insert(117 - r);
    }
    std::set<int> silver;
    for (int y = 0; y < ruler.height(); ++y)
        if (ruler.pixel(300, y) == colors::silver)
            silver.insert(y);
    EXPECT_EQ(silver, expected); // the top row included, no line at y = 234
    EXPECT_EQ(ruler.pixel(0, 117), colors::silver);
    EXPECT_EQ(ruler.pixel(756, 117), colors::silver);

    state->beatsPerSecond = 0;
    const QImage bare = ChartRuler::draw(kW, kH, *state);
    EXPECT_EQ(bare.pixel(300, 117), colors::black);
    EXPECT_EQ(bare.pixel(300, 105), colors::white);

    state->beatsPerSecond = 1e-300; // an absurd rate never leaves the middle, yet the drawing ends
    const QImage still = ChartRuler::draw(kW, kH, *state);
    EXPECT_EQ(still.pixel(300, 117), colors::silver);
    EXPECT_EQ(still.pixel(300, 116), colors::white);
}

TEST_F(ChartTraceTest, CompositeLayersFrameRulerAndTrace)
{
    const QImage grid = ChartFrame::draw(kW, kH, 60);
    const QImage ruler = ChartRuler::draw(kW, kH, *state);
    chart.beginPass(trace, *state);
    state->beatCount = 1;
    chart.markBeat(trace, signal, *state, beatAt(10000), {});
    const int x = chart.scale().x(10000);

    QImage picture = ChartTrace::composite(grid, ruler, trace, *state);
    EXPECT_EQ(picture.pixel(305, 115), colors::white); // ruler hidden
    EXPECT_EQ(picture.pixel(x, 127), colors::black);
    EXPECT_EQ(picture.pixel(767, 20), colors::silver);

    state->rulerShown = true;
    state->rulerX = state->rulerY = 10;
    picture = ChartTrace::composite(grid, ruler, trace, *state);
    EXPECT_EQ(picture.pixel(305, 115), colors::silver); // ruler row 105 at y = 10 + 105
    EXPECT_EQ(picture.pixel(x, 127), colors::black);    // the trace lies over the ruler
    EXPECT_EQ(picture.pixel(9, 100), colors::black);    // the frame shows through white
}

TEST(ChartCorner, PressesWithinTheCircleSquareToggleTheRuler)
{
    EXPECT_TRUE(ChartTrace::cornerPressed(10, 10));
    EXPECT_FALSE(ChartTrace::cornerPressed(11, 5));
    EXPECT_FALSE(ChartTrace::cornerPressed(5, 11));
}
