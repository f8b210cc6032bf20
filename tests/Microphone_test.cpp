// An ordinary microphone: the input filter and the automatic threshold in the window, and
// the conditioning of what no watch makes (silence, hum).
#include <QEventLoop>
#include <QMenuBar>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MicrophoneScenarios.h"
#include "WindowDrive.h"
#include "capture/SyntheticWatch.h"
#include "measurement/InputConditioner.h"

using namespace tamsel;
using namespace tamsel::test;

TEST(Microphone, ItemsCloseTheOptionMenuAndLiveInASectionOfTheirOwn)
{
    Window w;
    QMenu *option = w.form->menuBar()->findChild<QMenu *>(QStringLiteral("O1"));
    ASSERT_NE(option, nullptr);
    // After the original items and Input; only the recording folder's items come later.
    const QList<QAction *> items = option->actions();
    const qsizetype at = items.indexOf(w.form->InputFilter1);
    ASSERT_GT(at, items.indexOf(w.form->Input1->menuAction()));
    ASSERT_LT(at + 1, items.size());
    EXPECT_EQ(items[at + 1], w.form->AutoThreshold1);
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
    ASSERT_NE(w.form->BackPanel1->kaku->value(), 0);
    const std::vector<int16_t> next = feed.watch.Samples(feed.position, kBufferSamples);

    w.form->InputFilter1->trigger();
    EXPECT_EQ(w.state().writeIndex, 0);
    EXPECT_EQ(w.state().beatCount, 0);
    for (TLEDLabel *readout : {w.form->BackPanel1->spd, w.form->BackPanel1->kaku, w.form->BackPanel1->katatime, w.form->BackPanel1->bpss})
        EXPECT_EQ(readout->value(), 0);
    // The history now holds the conditioned magnitude, not |s|.
    w.deliver(next);
    InputConditioner conditioner;
    for (int i = 0; i < kBufferSamples; ++i)
        ASSERT_EQ(w.state().sampleHistory[i], conditioner.next(next[static_cast<size_t>(i)])) << i;
}

// A watch heard through an ordinary microphone, with the settings as they come: no reading,
// and the status bar points to the input filter, whose new measurement no longer needs the hint.
TEST(Microphone, AWatchTheThresholdMissesIsPointedToTheInputFilter)
{
    Window w;
    const ::tamsel::SyntheticWatch watch(microphoneScenarios(3).front().params);
    std::vector<int16_t> samples(kBufferSamples);
    int64_t at = 0;
    const auto hear = [&](double seconds) {
        for (const int64_t end = at + static_cast<int64_t>(seconds * 44100); at < end; at += kBufferSamples) {
            watch.generate(at, samples.data(), samples.size());
            w.deliver(samples);
        }
    };
    hear(13);
    EXPECT_FALSE(w.form->engine().reading().rateValid);
    EXPECT_EQ(w.form->StatusBar1->watchNote(), "Nothing crosses the threshold: try Option ▸ Input filter");
    w.form->InputFilter1->trigger();
    hear(1);
    EXPECT_EQ(w.form->StatusBar1->watchNote(), "");
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
    feed.watch = test::SyntheticWatch(WatchParams{.peakLevel = 5000, .noise = 50});
    feed.atLeast(w, 3 * 44100);
    EXPECT_EQ(w.form->TrackBar1->value(), byHand);
}

// Without the filter, under mains hum a third as loud as the ticks: the automatic threshold
// clears the hum's peaks and stays under every tick and tock, so no beat is missed (a missed
// tock shows as a beat error of about 200 ms).
TEST(Microphone, AutoThresholdUnderHumMissesNoBeat)
{
    Window w;
    w.form->N101Click();
    w.form->AutoThreshold1->trigger();
    const test::SyntheticWatch watch(
        WatchParams{.rateSecondsPerDay = 3, .beatErrorMs = 0.2, .peakLevel = 6000});
    std::vector<double> beatErrors;
    for (int64_t at = 0; at < 12 * 44100; at += kBufferSamples) {
        std::vector<int16_t> samples = watch.Samples(at, kBufferSamples);
        for (int i = 0; i < kBufferSamples; ++i)
            samples[static_cast<size_t>(i)] += static_cast<int16_t>(
                std::lround(2000 * std::sin(2 * M_PI * 50 * static_cast<double>(at + i) / 44100)));
        w.deliver(samples);
        if (w.state().reading.beatError != 0)
            beatErrors.push_back(w.state().reading.beatError);
    }
    EXPECT_EQ(w.state().beatsPerSecond, 5);
    ASSERT_GT(beatErrors.size(), 20u);
    for (double ms : beatErrors)
        ASSERT_NEAR(ms, 0.2, 0.1);
    EXPECT_NEAR(w.state().reading.rate, 3, 0.5);
    const int level = 32768 - w.form->TrackBar1->value();
    EXPECT_GT(level, 2200) << "above the hum and the noise";
}

// A watch moved closer (+12 dB) is never clipped by the conditioner's gain: every beat after
// the step still peaks on its own, below full scale and well above the noise.
TEST(Microphone, AWatchMovedCloserIsNeverClipped)
{
    Window w;
    w.form->InputFilter1->trigger();
    SyntheticWatchParams params;
    params.peakLevel = 1500;
    params.microphone = {true, 0.7, 0.1, 50, 100, 20, 0};
    params.microphone.subEvents = 6;
    params.microphone.burstJitter = 0.25;
    const int64_t step = 6 * 44100;
    params.microphone.levelSteps = {{6, 12}};
    const tamsel::SyntheticWatch watch(params);
    std::vector<int16_t> samples(kBufferSamples);
    for (int64_t at = 0; at < step + 4 * 44100; at += kBufferSamples) {
        watch.generate(at, samples.data(), samples.size());
        w.deliver(samples);
    }
    const uint16_t *history = w.state().sampleHistory.data();
    const auto period = static_cast<int64_t>(std::lround(watch.period()));
    for (int64_t from = step; from + period <= w.state().writeIndex; from += period) {
        const uint16_t largest = *std::max_element(history + from, history + from + period);
        ASSERT_LT(largest, 32768) << "clipped at " << from;
        ASSERT_GT(largest, InputConditioner::kTargetPeak / 4) << "lost at " << from;
    }
}

// The filter switched on, and then another source: what is stored from there on is the new
// sound conditioned afresh, not |s| nor a gain learnt before.
TEST(Microphone, TheFilterSwitchedOnAndANewSourceAreConditionedAfresh)
{
    Window w;
    w.service->setSources({{"a", "Microphone A", false}, {"b", "Microphone B", false}});
    QCoreApplication::processEvents();
    WatchFeed feed;
    feed.buffers(w, 4);
    w.form->InputFilter1->trigger();
    const std::vector<int16_t> next = feed.watch.Samples(feed.position, kBufferSamples);
    w.deliver(next);
    ASSERT_EQ(w.state().writeIndex, kBufferSamples) << "a new measurement from the next buffer on";
    InputConditioner fresh;
    for (int i = 0; i < kBufferSamples; ++i)
        ASSERT_EQ(w.state().sampleHistory[i], fresh.next(next[static_cast<size_t>(i)])) << i;

    feed.buffers(w, 8); // peaks of 20 000: a low gain
    for (QAction *item : w.form->Input1->actions())
        if (item->text() == "Microphone B")
            item->trigger();
    for (int i = 0; i < 4; ++i) // the buffers come back before the device switches
        w.deliver(std::vector<int16_t>(kBufferSamples, 7));
    QCoreApplication::processEvents();
    ASSERT_EQ(w.service->sourceInUse(), "b");
    const std::vector<int16_t> quiet =
        test::SyntheticWatch(WatchParams{.peakLevel = 1000, .noise = 20}).Samples(0, kBufferSamples);
    w.deliver(quiet);
    fresh.reset();
    for (int i = 0; i < kBufferSamples; ++i)
        ASSERT_EQ(w.state().sampleHistory[i], fresh.next(quiet[static_cast<size_t>(i)])) << i;
}

// With the filter on, a time signal is still timed on its pulses, not heard as a watch; capture
// goes on under the box that ends the calibration; then the filter's measurement reads the
// watch put to the microphone, through the card now calibrated.
TEST(Microphone, TheTimeSignalIsTimedOnItsPulsesWithTheFilterOn)
{
    Window w;
    w.form->InputFilter1->trigger();
    w.form->AutoThreshold1->trigger();
    const double card = 44110; // ten samples a second fast
    WatchFeed feed(
        WatchParams{.beatsPerHour = 3600, .amplitudeDegrees = 0, .firstPeak = 5000, .cardRate = card});
    int ends = 0;
    SetMessageSink([&](const QString &text) {
        ends += text == "Time signal calibration end.";
        QEventLoop box;
        int left = 12;
        QTimer capture;
        QObject::connect(&capture, &QTimer::timeout, [&] {
            if (left-- == 0)
                return box.quit();
            ASSERT_TRUE(w.service->deliver(feed.watch.Samples(feed.position, kBufferSamples)));
            feed.position += kBufferSamples;
        });
        capture.start(5); // the box's loop handles each buffer before the next comes
        box.exec();
    });
    w.form->T1Click();
    feed.atLeast(w, 30 * 44100);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Time signal: 29 s left");
    EXPECT_EQ(w.form->StatusBar1->panelText(6), QString()) << "the pulses are no watch to read";
    feed.atLeast(w, 32 * 44100);
    SetMessageSink(nullptr);
    ASSERT_EQ(ends, 1);
    EXPECT_EQ(w.state().fineCorrection, 10);
    EXPECT_EQ(w.form->StatusBar1->clockNote(), "Clock +19.6 s/day");
    EXPECT_EQ(w.form->StatusBar1->panelText(6), QString()) << "nothing read of the pulses under the box";

    w.form->BackPanel1->autosw->click();
    feed = WatchFeed(
        WatchParams{.beatsPerHour = 21600, .rateSecondsPerDay = 3, .beatErrorMs = 0.4, .cardRate = card});
    feed.atLeast(w, 12 * 44100);
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 06.0");
    EXPECT_NEAR(w.form->StatusBar1->panelText(6).split(' ')[0].toDouble(), 3, 0.3)
        << w.form->StatusBar1->panelText(6).toStdString();
    EXPECT_NEAR(w.form->StatusBar1->panelText(2).split(' ')[0].toDouble(), 0.4, 0.1);
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

// The window conditions whole buffers, the level trackers close blocks within them, and a
// watch moved closer lowers the gain mid-buffer: buffers of any length, odd ones among them,
// give what the samples give one at a time.
TEST(Microphone, BuffersOfAnyLengthAreConditionedAsSampleBySample)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 21600;
    params.peakLevel = 900;
    params.microphone.on = true;
    const tamsel::SyntheticWatch watch(params);
    std::vector<int16_t> sound(8 * 44100);
    watch.generate(0, sound.data(), sound.size());
    for (size_t i = sound.size() / 2; i < sound.size(); ++i) // moved closer: four times as loud
        sound[i] = static_cast<int16_t>(std::clamp(4 * sound[i], -32768, 32767));

    InputConditioner buffered, single;
    std::vector<uint16_t> out(sound.size());
    const size_t lengths[] = {1, 3, 777, 2, 513, 5511, 1024};
    size_t at = 0;
    for (size_t n = 0; at < sound.size(); ++n) {
        const size_t count = std::min(lengths[n % std::size(lengths)], sound.size() - at);
        buffered.condition(sound.data() + at, out.data() + at, count);
        at += count;
    }
    for (size_t i = 0; i < sound.size(); ++i)
        ASSERT_EQ(out[i], single.next(sound[i])) << i;
    EXPECT_EQ(buffered.gain(), single.gain());
}
