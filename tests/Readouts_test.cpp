// The LED readouts through the main window: the hand steps of the beat rate, the beat unit
// and the two display modes, the hints, and the values a synthetic watch leaves on them.
#include <QColor>
#include <functional>
#include <gtest/gtest.h>

#include "WindowDrive.h"
#include "display/ChartRuler.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

const QColor lime(0, 255, 0), green(0, 128, 0), yellow(255, 255, 0), olive(128, 128, 0);

// A reading of the parts given, shown in the window.
void show(Window &w, const std::function<void(Reading &)> &fill)
{
    Reading reading;
    fill(reading);
    w.form->showReading(reading);
}

} // namespace

TEST(BeatSteps, UpAndDownAtTheEdgesOfTheirRanges)
{
    struct Row {
        int32_t unit;
        double from;
        bool up;
        double to;
        const char *shown;
    };
    const Row rows[] = {
        {0, 4.0, true, 4.5, " 04.5"},
        {0, 4.5, false, 4.0, " 04.0"},
        {0, 4.0, false, 3.9, " 03.9"},
        {0, 3.9, true, 4.0, " 04.0"},
        {1, 14390.0 / 3600, true, 4.0, "14400"},
        {1, 4.0, true, 4.5, "16200"},
        {1, 4.0, false, 14390.0 / 3600, "14390"},
        {0, 0.1, false, 0.1, " 00.1"},
        {1, 5.0 / 3600, false, 0.0, "00000"},
        {0, 99.5, true, 100.0, " 0100"},
        {0, 101.0, false, 100.9, " 0101"},
        {0, 999.0, true, 999.0, " 0999"},
    };
    Window w;
    w.form->BackPanel1->autosw->click(); // released: the user sets the beat rate
    ASSERT_FALSE(w.form->BackPanel1->autosw->isChecked());
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << row.from << (row.up ? " up" : " down") << " unit " << row.unit);
        w.state().beatUnit = row.unit;
        w.state().beatsPerSecond = row.from;
        (row.up ? w.form->BackPanel1->upBtn : w.form->BackPanel1->downBtn)->click();
        EXPECT_NEAR(w.state().beatsPerSecond, row.to, 1e-9);
        EXPECT_EQ(w.form->BackPanel1->bpss->caption(), row.shown);
        // The ruler was rebuilt for the new rate.
        EXPECT_EQ(w.form->pictures().rulerBitmap(),
                  ChartRuler::draw(w.form->PaintBox1->width(), w.form->PaintBox1->height(), w.state()));
    }
}

TEST(BeatSteps, NothingHappensWhileTheCounterSwitchIsPressed)
{
    Window w;
    ASSERT_TRUE(w.form->BackPanel1->autosw->isChecked());
    w.state().beatsPerSecond = 5.0;
    const QImage ruler = w.form->pictures().rulerBitmap();
    w.form->BackPanel1->upBtn->click();
    w.form->BackPanel1->downBtn->click();
    w.form->BackPanel1->downBtn->click();
    EXPECT_EQ(w.state().beatsPerSecond, 5.0);
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 00.0");
    EXPECT_EQ(w.form->pictures().rulerBitmap(), ruler);
}

TEST(BeatUnit, SwitchingUnitsRoundsToATenthInSeconds)
{
    Window w;
    w.state().beatUnit = 1;
    w.state().beatsPerSecond = 19998.0 / 3600;
    emit w.form->BackPanel1->bpsLabel->clicked();
    EXPECT_EQ(w.state().beatUnit, 0);
    EXPECT_DOUBLE_EQ(w.state().beatsPerSecond, 5.6);
    EXPECT_EQ(w.form->BackPanel1->bpsLabel->caption(), "bps");
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 05.6");
    emit w.form->BackPanel1->bpsLabel->clicked();
    EXPECT_EQ(w.state().beatUnit, 1);
    EXPECT_EQ(w.form->BackPanel1->bpsLabel->caption(), "bph");
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), "20160");
    // A stored unit other than 0 or 1 counts as hours and is not toggled.
    w.state().beatUnit = 2;
    emit w.form->BackPanel1->bpsLabel->clicked();
    EXPECT_EQ(w.state().beatUnit, 2);
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), "20160");
}

TEST(BeatUnit, HintShowsTheOtherUnit)
{
    Window w;
    w.state().beatsPerSecond = 5.0;
    emit w.form->BackPanel1->bpss->mouseMoved(QPoint(1, 1));
    EXPECT_EQ(w.form->BackPanel1->bpss->hint(), "18000bph");
    w.state().beatUnit = 1;
    emit w.form->BackPanel1->bpss->mouseMoved(QPoint(1, 1));
    EXPECT_EQ(w.form->BackPanel1->bpss->hint(), " 05.0bps");
    w.state().beatsPerSecond = 120.0;
    emit w.form->BackPanel1->bpss->mouseMoved(QPoint(1, 1));
    EXPECT_EQ(w.form->BackPanel1->bpss->hint(), " 0120bps");
}

TEST(DisplayModes, ClicksToggleZeroAndOneWithColoursAndHint)
{
    Window w;
    TLEDLabel *spd = w.form->BackPanel1->spd;
    TLEDLabel *katatime = w.form->BackPanel1->katatime;
    EXPECT_EQ(spd->LED().activeColor(), lime);
    emit spd->clicked();
    EXPECT_EQ(w.state().rateMode, 1);
    EXPECT_EQ(spd->LED().activeColor(), yellow);
    EXPECT_EQ(spd->LED().inActiveColor(), olive);
    EXPECT_EQ(spd->hint(), "Rate");
    emit spd->clicked();
    EXPECT_EQ(w.state().rateMode, 0);
    EXPECT_EQ(spd->LED().activeColor(), lime);
    EXPECT_EQ(spd->LED().inActiveColor(), green);
    EXPECT_EQ(spd->hint(), "Average");

    emit katatime->clicked();
    EXPECT_EQ(w.state().beatErrorMode, 1);
    EXPECT_EQ(katatime->LED().activeColor(), yellow);
    EXPECT_EQ(katatime->LED().inActiveColor(), olive);
    EXPECT_EQ(katatime->hint(), "Beat Error");
    emit katatime->clicked();
    EXPECT_EQ(w.state().beatErrorMode, 0);
    EXPECT_EQ(katatime->LED().activeColor(), lime);
    EXPECT_EQ(katatime->LED().inActiveColor(), green);
}

TEST(DisplayModes, StoredTwoShowsTheSecondModeAndIsNotToggled)
{
    Window w("[Init]\r\nAverage=2\r\nvkata=2\r\n");
    EXPECT_EQ(w.form->BackPanel1->spd->LED().activeColor(), yellow);
    EXPECT_EQ(w.form->BackPanel1->spd->hint(), "Rate");
    EXPECT_EQ(w.form->BackPanel1->katatime->LED().activeColor(), yellow);
    emit w.form->BackPanel1->spd->clicked();
    emit w.form->BackPanel1->katatime->clicked();
    EXPECT_EQ(w.state().rateMode, 2);
    EXPECT_EQ(w.state().beatErrorMode, 2);
    EXPECT_EQ(w.form->BackPanel1->spd->LED().activeColor(), yellow);
    EXPECT_EQ(w.form->BackPanel1->katatime->LED().inActiveColor(), olive);
}

TEST(Values, RateBeatErrorAndAmplitudeUpdates)
{
    Window w;
    show(w, [](Reading &r) { r.showRate(-4.8979, 0); });
    EXPECT_EQ(w.form->BackPanel1->spd->value(), -5);
    EXPECT_EQ(w.form->BackPanel1->spd->displayedText(), "000-5");
    EXPECT_EQ(w.form->StatusBar1->panelText(6), "-4.898 sec/day");
    // Halves go away from zero, not to the even neighbour.
    show(w, [](Reading &r) { r.showRate(-4.5, 0); });
    EXPECT_EQ(w.form->BackPanel1->spd->value(), -5);
    show(w, [](Reading &r) { r.showRate(2.5, 0); });
    EXPECT_EQ(w.form->BackPanel1->spd->value(), 3);

    // A clock's beat error: to 0.1 ms up to 99.9 ms, dashes beyond; also a share of its beat.
    show(w, [](Reading &r) { r.showBeatError(99.94, 1); });
    EXPECT_EQ(w.form->BackPanel1->katatime->caption(), "99.9");
    EXPECT_EQ(w.form->StatusBar1->panelText(2), "99.940 msec (10.0 %)");
    show(w, [](Reading &r) { r.showBeatError(131.25, 1.5); });
    EXPECT_EQ(w.form->BackPanel1->katatime->caption(), "--.-");
    EXPECT_EQ(w.form->StatusBar1->panelText(2), "131.250 msec (19.7 %)");

    show(w, [](Reading &r) { r.showBeatError(0.25); });
    EXPECT_EQ(w.form->BackPanel1->katatime->caption(), "00.3");
    EXPECT_EQ(w.form->StatusBar1->panelText(2), "0.250 msec");

    show(w, [&w](Reading &r) { r.showAmplitude(282, 700, 1, w.form->controls()); });
    EXPECT_EQ(w.form->BackPanel1->kaku->value(), 282);
    EXPECT_EQ(w.form->StatusBar1->panelText(4), "282 deg");
    // Pulse mode measures no amplitude.
    w.form->NOn1Click();
    EXPECT_EQ(w.form->BackPanel1->kaku->value(), 1000);
    EXPECT_EQ(w.form->BackPanel1->kaku->displayedText(), "---");
    w.form->NOff1Click();

    // A part cleared leaves the others.
    show(w, [](Reading &r) { r.clear(Reading::kRate); });
    EXPECT_EQ(w.form->BackPanel1->spd->value(), 0);
    EXPECT_EQ(w.form->StatusBar1->panelText(6), "");
    EXPECT_EQ(w.form->StatusBar1->panelText(2), "0.250 msec");

    // A reset zeroes the three readouts; the beat error shows text.
    w.form->N22Click();
    EXPECT_EQ(w.form->BackPanel1->spd->value(), 0);
    EXPECT_EQ(w.form->BackPanel1->kaku->value(), 0);
    EXPECT_EQ(w.form->BackPanel1->katatime->caption(), "00.0");
}

TEST(Values, SyntheticWatchThroughTheWindow)
{
    Window w;
    WatchParams params; // 18 000 beats per hour
    params.rateSecondsPerDay = -4.8979;
    WatchFeed feed(params);
    feed.atLeast(w, 3 * 44100);
    EXPECT_DOUBLE_EQ(w.state().beatsPerSecond, 5.0) << "counted in the sweep's second and third second";
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 05.0");
    feed.atLeast(w, 17 * 44100);
    EXPECT_EQ(w.form->BackPanel1->spd->value(), -5) << w.form->StatusBar1->panelText(6).toStdString();
    EXPECT_TRUE(w.form->StatusBar1->panelText(6).endsWith(" sec/day"));
    EXPECT_EQ(w.form->BackPanel1->kaku->value() / 10, 28) << "about 280 degrees";
}
