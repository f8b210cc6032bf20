// The chart's view length and zoom through the main window: stepping, the buttons' enabled
// states, the status text, the resets, the corner switch of the ruler and the whole chart
// after a sweep, compared with a stored picture.
#include <QDir>
#include <QMouseEvent>
#include <QResizeEvent>
#include <gtest/gtest.h>

#include "WindowDrive.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

const QString kJapanese = QStringLiteral("タムセル");

struct ViewRow {
    int seconds;
    void (TForm1::*choose)();
    QAction *TForm1::*item;
    bool longTime;
    bool shortTime;
};

const ViewRow kViews[] = {
    {1, &TForm1::N11Click, &TForm1::N11, false, false},
    {2, &TForm1::N21Click, &TForm1::N21, false, false},
    {3, &TForm1::N31Click, &TForm1::N31, false, false},
    {10, &TForm1::N101Click, &TForm1::N101, true, false},
    {20, &TForm1::N201Click, &TForm1::N201, true, true},
    {30, &TForm1::N301Click, &TForm1::N301, true, true},
    {40, &TForm1::N401Click, &TForm1::N401, true, true},
    {60, &TForm1::N601Click, &TForm1::N601, true, true},
    {120, &TForm1::N1201Click, &TForm1::N1201, false, true},
    {300, &TForm1::N3001Click, &TForm1::N3001, false, false},
    {600, &TForm1::N6001Click, &TForm1::N6001, false, false},
    {900, &TForm1::N9001Click, &TForm1::N9001, false, false},
};

QString panel0(Window &w)
{
    return w.form->StatusBar1->panelText(0);
}

void press(QWidget *target, int x, int y)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(x, y), target->mapToGlobal(QPointF(x, y)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(Views, EveryViewSetsItsSweepItsCheckMarkAndTheTimeButtons)
{
    Window w;
    for (const ViewRow &row : kViews) {
        SCOPED_TRACE(row.seconds);
        (w.form.get()->*row.choose)();
        EXPECT_TRUE((w.form.get()->*row.item)->isChecked());
        EXPECT_EQ(w.state().viewSeconds, row.seconds);
        EXPECT_EQ(w.state().samplesPerSweep, 44100 * row.seconds);
        EXPECT_EQ(w.form->SpeedButton1->isEnabled(), row.longTime);
        EXPECT_EQ(w.form->SpeedButton2->isEnabled(), row.shortTime);
    }
}

TEST(Views, LongAndShortTimeStepThroughTheirCycleAndStopAtItsEnds)
{
    Window w;
    const int up[] = {120, 120};
    for (int expected : up) {
        w.form->SpeedButton1Click();
        EXPECT_EQ(w.state().viewSeconds, expected);
    }
    EXPECT_TRUE(w.form->N1201->isChecked());
    const int down[] = {60, 40, 30, 20, 10, 10};
    for (int expected : down) {
        w.form->SpeedButton2Click();
        EXPECT_EQ(w.state().viewSeconds, expected);
    }
    EXPECT_TRUE(w.form->N101->isChecked());
    // At an end nothing runs at all: not even the reset that clears the beat counters.
    w.state().beatCount = 7;
    w.form->SpeedButton2Click();
    EXPECT_EQ(w.state().beatCount, 7);
    w.form->N1201Click();
    w.state().beatCount = 7;
    w.form->SpeedButton1Click();
    EXPECT_EQ(w.state().beatCount, 7);
    EXPECT_EQ(w.state().viewSeconds, 120);
}

TEST(Views, OutsideTheCycleTheTimeButtonsDoNothing)
{
    Window w;
    for (const ViewRow &row : kViews) {
        if (row.seconds >= 10 && row.seconds <= 120)
            continue;
        SCOPED_TRACE(row.seconds);
        (w.form.get()->*row.choose)();
        w.state().beatCount = 3;
        w.form->SpeedButton1Click();
        w.form->SpeedButton2Click();
        EXPECT_EQ(w.state().viewSeconds, row.seconds);
        EXPECT_EQ(w.state().beatCount, 3);
    }
}

TEST(Zoom, StepsAndButtonStatesAtBothEnds)
{
    Window w;
    EXPECT_TRUE(w.form->N16->isChecked()) << "the stored zoom 1 was applied when shown";
    EXPECT_FALSE(w.form->SpeedButton4->isEnabled());
    w.state().beatCount = 4;
    w.form->SpeedButton4Click(); // Zoom Down at x1
    EXPECT_EQ(w.state().zoom, 1);
    EXPECT_EQ(w.state().beatCount, 4);
    for (int expected : {2, 4, 8, 8}) {
        w.form->SpeedButton3Click();
        EXPECT_EQ(w.state().zoom, expected);
    }
    EXPECT_TRUE(w.form->N81->isChecked());
    EXPECT_FALSE(w.form->SpeedButton3->isEnabled());
    EXPECT_TRUE(w.form->SpeedButton4->isEnabled());
    w.state().beatCount = 4;
    w.form->SpeedButton3Click(); // Zoom Up at x8
    EXPECT_EQ(w.state().beatCount, 4);
    EXPECT_EQ(panel0(w), "60sec x8");
    // x1 straight from x8.
    w.form->N16->trigger();
    EXPECT_EQ(w.state().zoom, 1);
    EXPECT_TRUE(w.form->SpeedButton3->isEnabled());
    EXPECT_FALSE(w.form->SpeedButton4->isEnabled());
    w.form->N41->trigger();
    EXPECT_TRUE(w.form->SpeedButton3->isEnabled());
    EXPECT_TRUE(w.form->SpeedButton4->isEnabled());
    for (int expected : {2, 1, 1}) {
        w.form->SpeedButton4Click();
        EXPECT_EQ(w.state().zoom, expected);
    }
}

TEST(Views, StatusTextInBothLanguages)
{
    {
        Window w;
        EXPECT_EQ(panel0(w), "60sec x1");
        w.form->N11->trigger();
        EXPECT_EQ(panel0(w), "1sec");
        w.form->N31->trigger();
        EXPECT_EQ(panel0(w), "3sec");
        w.form->N22->trigger(); // a zoom in a short view names the view with the zoom
        EXPECT_EQ(panel0(w), "3sec x2");
        w.form->N9001->trigger();
        EXPECT_EQ(panel0(w), "900sec x2");
    }
    {
        Window w({}, kJapanese);
        EXPECT_EQ(panel0(w), QStringLiteral("60秒 1倍表示"));
        w.form->N11->trigger();
        EXPECT_EQ(panel0(w), QStringLiteral("1秒表示"));
        w.form->N81->trigger();
        EXPECT_EQ(panel0(w), QStringLiteral("1秒 8倍表示"));
        w.form->N201->trigger();
        EXPECT_EQ(panel0(w), QStringLiteral("20秒 8倍表示"));
    }
}

TEST(Views, ShortViewsEmptyTheTraceAndAnyResetRestoresIt)
{
    Window w;
    const QSize full = w.form->PaintBox1->size();
    ASSERT_EQ(w.form->pictures().traceBitmap().size(), full);

    w.form->N21Click();
    EXPECT_TRUE(w.form->pictures().traceBitmap().isNull());
    w.form->N22Click(); // zoom
    EXPECT_EQ(w.form->pictures().traceBitmap().size(), full);

    w.form->N11Click();
    EXPECT_TRUE(w.form->pictures().traceBitmap().isNull());
    w.form->StartButton->click();
    EXPECT_EQ(w.form->pictures().traceBitmap().size(), full);

    w.form->N31Click();
    EXPECT_TRUE(w.form->pictures().traceBitmap().isNull());
    w.form->resize(w.form->width() + 40, w.form->height() + 30);
    QCoreApplication::processEvents();
    const QSize grown = w.form->PaintBox1->size();
    ASSERT_NE(grown, full);
    EXPECT_EQ(w.form->pictures().traceBitmap().size(), grown);
    EXPECT_EQ(w.form->pictures().gridBitmap().size(), grown);
    EXPECT_EQ(w.form->pictures().signalBitmap().size(), w.form->PaintBox2->size());
}

TEST(Views, ViewOrZoomChoiceWhileStoppedStartsAgain)
{
    Window w;
    using Choice = std::function<void()>;
    const Choice choices[] = {
        [&] { w.form->N11->trigger(); },        [&] { w.form->N201->trigger(); },
        [&] { w.form->SpeedButton1->click(); }, [&] { w.form->N41->trigger(); },
        [&] { w.form->SpeedButton3->click(); },
    };
    for (const Choice &choose : choices) {
        w.form->StopButton->click();
        ASSERT_FALSE(w.form->StartButton->isChecked());
        choose();
        EXPECT_TRUE(w.form->StartButton->isChecked());
        EXPECT_FALSE(w.form->StopButton->isChecked());
    }
}

TEST(Views, LayoutSizeOfTheTwoGraphs)
{
    Window w;
    // The sizes the analyzer draws its snapshots at.
    EXPECT_EQ(kDesignedChartSize, QSize(777, 254));
    EXPECT_EQ(w.form->Panel6->size(), kDesignedChartSize);
    EXPECT_EQ(w.form->Panel4->size(), kDesignedSignalGraphSize);
    EXPECT_EQ(w.form->PaintBox1->size(), kDesignedChartSize);
    EXPECT_EQ(w.form->PaintBox2->size(), kDesignedSignalGraphSize);
    EXPECT_EQ(w.form->pictures().gridBitmap().size(), kDesignedChartSize)
        << "the first layout drew the frame";
    // The last per-second line of the 60 s view lies at x = 767.
    EXPECT_EQ(w.form->pictures().gridBitmap().pixel(767, 100), qRgb(192, 192, 192));
}

TEST(Views, ShorterViewWhileBeyondItReplotsOnlyTheNewSweep)
{
    Window w;
    WatchFeed feed;
    feed.atLeast(w, 12 * 44100); // 12 s into the 60 s sweep
    const int32_t written = w.state().writeIndex;
    ASSERT_GT(written, 441001);
    w.form->N101Click();
    EXPECT_EQ(w.state().writeIndex, written) << "a view choice keeps the samples";
    EXPECT_LE(w.state().scanIndex, 441001) << "the re-plot stops at the new sweep's end";
    EXPECT_GT(w.state().beatCount, 0) << "and the first 10 s were re-plotted";
    const QImage &trace = w.form->pictures().traceBitmap();
    int marks = 0;
    for (int y = 0; y < trace.height(); ++y)
        for (int x = 0; x < trace.width(); ++x)
            marks += trace.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(marks, 0);
    // The next sample is stored where the index stood, then the sweep wraps.
    w.deliver({-1234, 77});
    EXPECT_EQ(w.state().sampleHistory[written], 1234);
    EXPECT_EQ(w.state().sampleHistory[0], 77);
    EXPECT_EQ(w.state().writeIndex, 1);
}

TEST(Ruler, CornerPressTogglesItOtherPressesDoNot)
{
    Window w;
    press(w.form->PaintBox1, 11, 5);
    EXPECT_FALSE(w.state().rulerShown);
    EXPECT_EQ(w.state().rulerX, 0);
    press(w.form->PaintBox1, 10, 10);
    EXPECT_TRUE(w.state().rulerShown);
    EXPECT_EQ(w.state().rulerX, 10);
    EXPECT_EQ(w.state().rulerY, 10);
    press(w.form->PaintBox1, 5, 11);
    EXPECT_TRUE(w.state().rulerShown);
    press(w.form->PaintBox1, 0, 0);
    EXPECT_FALSE(w.state().rulerShown);
}

// The whole chart after a synthetic watch ran a 10 s sweep, pixel for pixel. When the drawing
// changes on purpose, look at the new picture and store it by running this test once with
// TAMSEL_REGENERATE_GOLDEN=1 in the environment.
TEST(ChartPicture, TenSecondSweepMatchesTheStoredPicture)
{
    Window w;
    w.form->N101->trigger();
    WatchParams params;
    params.beatsPerHour = 21600;
    params.rateSecondsPerDay = 40;
    params.beatErrorMs = 3;
    WatchFeed feed(params);
    feed.buffers(w, 40); // 440 960 samples: the sweep up to just before its wrap
    ASSERT_EQ(w.state().writeIndex, 440960);
    ASSERT_GT(w.state().beatCount, 40);
    const QImage picture = w.form->PaintBox1->picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), QSize(777, 254));

    const QString golden = QStringLiteral(TAMSEL_TEST_DATA) + QStringLiteral("/chart_10s_sweep.png");
    if (qEnvironmentVariableIsSet("TAMSEL_REGENERATE_GOLDEN")) {
        QDir().mkpath(QStringLiteral(TAMSEL_TEST_DATA));
        ASSERT_TRUE(picture.save(golden, "PNG"));
        GTEST_SKIP() << "stored " << golden.toStdString();
    }
    QImage expected;
    ASSERT_TRUE(expected.load(golden)) << "missing " << golden.toStdString();
    expected = expected.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(expected.size(), picture.size());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != expected.pixel(x, y) && differing++ == 0)
                first = QPoint(x, y);
    if (differing) {
        const QString actual = QDir::temp().filePath(QStringLiteral("chart_10s_sweep.actual.png"));
        picture.save(actual, "PNG");
        ADD_FAILURE() << differing << " pixels differ, the first at (" << first.x() << ", " << first.y()
                      << "); the picture drawn now is in " << actual.toStdString();
    }
}
