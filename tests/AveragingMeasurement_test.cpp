// The averaging measurement in the window: with the input filter on, a watch heard through an
// ordinary microphone gives the readouts, a dot per beat on the chart and the averaged tick
// and tock in the signal graph; taken away, the readouts empty and the status bar says so.
#include <gtest/gtest.h>

#include "MicrophoneScenarios.h"
#include "WindowDrive.h"
#include "display/Colors.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

SyntheticWatchParams scenario(const std::string &name, uint32_t seed)
{
    for (const MicrophoneScenario &s : microphoneScenarios(seed))
        if (s.name == name)
            return s.params;
    ADD_FAILURE() << "no scenario " << name;
    return {};
}

void feed(Window &w, const tamsel::SyntheticWatch &sound, int64_t &position, double seconds)
{
    std::vector<int16_t> samples(kBufferSamples);
    for (int64_t end = position + static_cast<int64_t>(seconds * 44100); position < end;
         position += kBufferSamples) {
        sound.generate(position, samples.data(), samples.size());
        w.deliver(samples);
    }
}

int pixelsOf(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) | 0xFF000000) == (colour | 0xFF000000) ? 1 : 0;
    return n;
}

} // namespace

TEST(AveragingMeasurement, ReadsAWatchThenSaysWhenItIsGone)
{
    Window w;
    w.form->InputFilter1->trigger();
    int64_t position = 0;
    const tamsel::SyntheticWatch watch(scenario("honest21600", 3)); // +4.6 s/day, 0.55 ms, 233 deg
    feed(w, watch, position, 10);

    EXPECT_EQ(w.state().beatsPerSecond, 6);
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 06.0");
    EXPECT_EQ(w.form->BackPanel1->spd->value(), 5);
    const QString rate = w.form->StatusBar1->panelText(6);
    EXPECT_NEAR(rate.split(' ')[0].toDouble(), 4.6, 0.5) << rate.toStdString();
    EXPECT_NEAR(w.form->StatusBar1->panelText(2).split(' ')[0].toDouble(), 0.55, 0.1);
    EXPECT_NEAR(w.form->BackPanel1->kaku->value(), 233, 20);
    EXPECT_EQ(w.form->StatusBar1->watchNote(), QString());
    // A dot per beat since the chart began, and the templates drawn in red.
    EXPECT_GT(pixelsOf(w.form->pictures().traceBitmap(), colors::black), 40);
    EXPECT_GT(pixelsOf(w.form->pictures().signalBitmap(), colors::red), 200);

    SyntheticWatchParams room = scenario("nowatch", 3);
    const tamsel::SyntheticWatch nothing(room);
    feed(w, nothing, position, 14);
    EXPECT_EQ(w.form->StatusBar1->watchNote(), "No watch heard");
    EXPECT_EQ(w.state().beatsPerSecond, 0);
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 00.0");
    EXPECT_EQ(w.form->BackPanel1->spd->value(), 0);
    EXPECT_EQ(w.form->BackPanel1->kaku->value(), 0);
    for (int panel : {2, 4, 6})
        EXPECT_EQ(w.form->StatusBar1->panelText(panel), QString()) << panel;
}

// A seconds pendulum in the window: the beat rate at 1 a second, its beat error of 15 ms on the
// readout and as a share of the beat in the status bar, and no amplitude, with the reason; a
// watch whose tick rings as one has its rate and beat error, and no amplitude for its reason.
TEST(AveragingMeasurement, AClockAndATickThatRingsAsOne)
{
    const auto bench = [](const std::string &name) {
        for (const MicrophoneScenario &s : benchScenarios(5))
            if (s.name == name)
                return s.params;
        ADD_FAILURE() << "no scenario " << name;
        return SyntheticWatchParams{};
    };
    Window w;
    w.form->InputFilter1->trigger();
    int64_t position = 0;
    feed(w, tamsel::SyntheticWatch(bench("clock3600")), position, 30); // +20 s/day, 15 ms
    EXPECT_EQ(w.form->BackPanel1->bpss->caption(), " 01.0");
    EXPECT_EQ(w.form->BackPanel1->katatime->caption(), "15.0");
    const QString beatError = w.form->StatusBar1->panelText(2);
    EXPECT_NEAR(beatError.split(' ')[0].toDouble(), 15, 0.5) << beatError.toStdString();
    EXPECT_TRUE(beatError.endsWith("msec (1.5 %)")) << beatError.toStdString();
    EXPECT_NEAR(w.form->StatusBar1->panelText(6).split(' ')[0].toDouble(), 20, 1);
    EXPECT_EQ(w.form->BackPanel1->kaku->value(), 0);
    EXPECT_EQ(w.form->StatusBar1->panelText(4), QString());
    EXPECT_EQ(w.form->StatusBar1->watchNote(), "No amplitude below 2 beats a second");

    Window ring;
    ring.form->InputFilter1->trigger();
    position = 0;
    feed(ring, tamsel::SyntheticWatch(bench("ring21600long")), position, 20); // +5 s/day, 0.4 ms
    EXPECT_EQ(ring.form->BackPanel1->bpss->caption(), " 06.0");
    EXPECT_NEAR(ring.form->StatusBar1->panelText(6).split(' ')[0].toDouble(), 5, 0.5);
    EXPECT_NEAR(ring.form->StatusBar1->panelText(2).split(' ')[0].toDouble(), 0.4, 0.1);
    EXPECT_EQ(ring.form->StatusBar1->panelText(4), QString());
    EXPECT_EQ(ring.form->StatusBar1->watchNote(), "No amplitude: unlocking and drop not heard apart");
}
