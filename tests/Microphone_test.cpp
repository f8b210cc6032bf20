// An ordinary microphone: the input filter and the automatic threshold in the window, and
// the conditioning of what no watch makes (silence, hum).
#include <QMenuBar>
#include <gtest/gtest.h>

#include <cmath>

#include "WindowDrive.h"
#include "measurement/InputConditioner.h"

using namespace tamsel;
using namespace tamsel::test;

TEST(Microphone, ItemsCloseTheOptionMenuAndLiveInASectionOfTheirOwn)
{
    Window w;
    QMenu *option = w.form->menuBar()->findChild<QMenu *>(QStringLiteral("O1"));
    ASSERT_NE(option, nullptr);
    const QList<QAction *> items = option->actions();
    ASSERT_GE(items.size(), 2);
    EXPECT_EQ(items[items.size() - 2], w.form->InputFilter1);
    EXPECT_EQ(items.back(), w.form->AutoThreshold1);
    EXPECT_EQ(w.form->InputFilter1->text(), "Input filter");
    EXPECT_EQ(w.form->AutoThreshold1->text(), "Auto threshold");
    for (QAction *item : {w.form->InputFilter1, w.form->AutoThreshold1}) {
        EXPECT_TRUE(item->isCheckable() && !item->isChecked());
        EXPECT_FALSE(item->statusTip().isEmpty());
    }

    w.form->InputFilter1->trigger();
    w.restart();
    EXPECT_TRUE(w.form->InputFilter1->isChecked());
    EXPECT_FALSE(w.form->AutoThreshold1->isChecked());
    EXPECT_TRUE(w.ini().endsWith("vkata=0\r\n\r\n[Tamsel]\r\nInputFilter=1\r\n\r\n"))
        << w.ini().toStdString();
    // Turned off again, the key stays and says so.
    w.form->InputFilter1->trigger();
    w.restart();
    EXPECT_FALSE(w.form->InputFilter1->isChecked());
    EXPECT_TRUE(w.ini().contains("[Tamsel]\r\nInputFilter=0\r\n"));

    Window corrupt("[Tamsel]\r\nInputFilter=yes\r\nAutoThreshold=1\r\n");
    EXPECT_FALSE(corrupt.form->InputFilter1->isChecked());
    EXPECT_TRUE(corrupt.form->AutoThreshold1->isChecked());
    EXPECT_TRUE(corrupt.errors.empty());
}

TEST(Microphone, SwitchingTheFilterStartsANewMeasurement)
{
    Window w;
    WatchFeed feed;
    feed.atLeast(w, 4 * 44100);
    ASSERT_EQ(w.state().beatsPerSecond, 5);
    ASSERT_NE(w.form->kaku->value(), 0);
    const std::vector<int16_t> next = feed.watch.Samples(feed.position, kBufferSamples);

    w.form->InputFilter1->trigger();
    EXPECT_EQ(w.state().writeIndex, 0);
    EXPECT_EQ(w.state().beatCount, 0);
    for (TLEDLabel *readout : {w.form->spd, w.form->kaku, w.form->katatime, w.form->bpss})
        EXPECT_EQ(readout->value(), 0);
    // The history now holds the conditioned magnitude, not |s|.
    w.deliver(next);
    InputConditioner conditioner;
    for (int i = 0; i < kBufferSamples; ++i)
        ASSERT_EQ(w.state().sampleHistory[i], conditioner.next(next[static_cast<size_t>(i)])) << i;
}

TEST(Microphone, AutoThresholdFollowsTheSignalUntilTheTrackBarIsMovedByHand)
{
    Window w;
    w.form->AutoThreshold1->trigger();
    WatchFeed feed; // peaks of 20 000 over noise of 200
    feed.atLeast(w, 3 * 44100);
    const int followed = w.form->TrackBar1->value();
    const int level = 32768 - followed;
    EXPECT_GT(level, 2000) << "above the noise";
    EXPECT_LT(level, 10000) << "well below the ticks";
    EXPECT_EQ(w.state().beatsPerSecond, 5);

    w.form->TrackBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_FALSE(w.form->AutoThreshold1->isChecked());
    const int byHand = w.form->TrackBar1->value();
    feed.watch = SyntheticWatch(WatchParams{.peakLevel = 5000, .noise = 50});
    feed.atLeast(w, 3 * 44100);
    EXPECT_EQ(w.form->TrackBar1->value(), byHand);
}

// A muted microphone (digital silence, then a bit of noise) and a loud hum give nothing:
// no pulse, and a gain that stays bounded however long the silence lasts.
TEST(Microphone, SilenceAndHumGiveNoPulses)
{
    InputConditioner conditioner;
    uint16_t largest = 0;
    uint32_t noise = 1;
    for (int i = 0; i < 60 * 44100; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const int16_t sample = i < 30 * 44100 ? 0 : static_cast<int16_t>(static_cast<int>(noise >> 30) - 2);
        largest = std::max(largest, conditioner.next(sample));
        ASSERT_TRUE(std::isfinite(conditioner.gain()));
        ASSERT_LE(conditioner.gain(), InputConditioner::kTargetPeak / InputConditioner::kLeastSpan);
    }
    EXPECT_LT(largest, 1001) << "below the lowest threshold the track bar allows";

    conditioner.reset();
    largest = 0;
    for (int i = 0; i < 10 * 44100; ++i) {
        const double t = i / 44100.0;
        const double hum = 12000 * std::sin(2 * M_PI * 50 * t) + 6000 * std::sin(2 * M_PI * 150 * t) +
                           3000 * std::sin(2 * M_PI * 250 * t);
        largest = std::max(largest, conditioner.next(static_cast<int16_t>(hum)));
    }
    EXPECT_LT(largest, 1001);
}
