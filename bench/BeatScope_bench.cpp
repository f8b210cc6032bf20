// The beat scope: a redraw of the window's picture at 1000 x 700 from the engine's values (taking
// them included), and what the beats' spectrum adds to the averaging meter per capture buffer.
// `--picture FILE.png` saves the scope of a 21 600 bph watch heard through a microphone.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ProcessUsage.h"
#include "capture/SyntheticWatch.h"
#include "display/BeatScopePlot.h"
#include "measurement/BeatScope.h"
#include "measurement/MeasurementSession.h"
#include "measurement/averaging/BeatSpectrum.h"

using namespace tamsel;
using tamsel::bench::cpuSeconds;

namespace {

struct Unheard : SessionListener {
    void samplesStored(int32_t, int32_t) override {}
    void readingChanged(const Reading &) override {}
    void passStarted() override {}
    void firstBeatOfSweep() override {}
    void beatMarked(const Beat &) override {}
    void passEnded() override {}
    void templatesAveraged(const AveragedTemplates &) override {}
    void sweepEnded(const SweepRecord &) override {}
    void timeSignalCalibrationEnded(bool) override {}
    void measurementReset() override {}
    void measurementRestarted() override {}
    void thresholdChanged() override {}
    void zoomChosen(int32_t) override {}
    void viewChosen(int32_t) override {}
    void timeSignalStarted() override {}
    void bufferStored() override {}
};

constexpr size_t kBuffer = 11025; // a quarter second, as the window captures

SyntheticWatchParams microphoneWatch()
{
    SyntheticWatchParams watch;
    watch.beatsPerHour = 21600;
    watch.peakLevel = 900;
    watch.microphone.on = true;
    watch.microphone.subEvents = 6;
    watch.microphone.burstJitter = 0.25;
    return watch;
}

// The spectrum alone, fed as the meter feeds it: every buffer, and each beat's unlocking.
void spectrumCost(const std::vector<int16_t> &sound, double beatSamples)
{
    BeatSpectrum spectrum;
    const size_t buffers = 4 * 3600;
    double nextBeat = 1000;
    const double start = cpuSeconds();
    for (size_t b = 0; b < buffers; ++b) {
        const size_t at = (b * kBuffer) % (sound.size() - kBuffer);
        spectrum.add(sound.data() + at, kBuffer);
        const double heard = static_cast<double>((b + 1) * kBuffer);
        for (; nextBeat < heard - 0.1 * 44100; nextBeat += beatSamples)
            spectrum.beatAt(nextBeat, nextBeat + 0.012 * 44100); // the drop 12 ms after the unlocking
    }
    const double cpu = cpuSeconds() - start;
    std::printf("beat spectrum: %.1f us per buffer of 250 ms, %.3f %% of a core when live\n",
                cpu / static_cast<double>(buffers) * 1e6, 100 * cpu / 3600);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const SyntheticWatch watch(microphoneWatch());
    std::vector<int16_t> sound(40 * 44100);
    watch.generate(0, sound.data(), sound.size());

    Unheard unheard;
    MeasurementSession session(unheard); // as the window starts it, with the input filter on
    session.start();
    session.setInputFilter(true);
    for (size_t at = 0; at + kBuffer <= sound.size(); at += kBuffer)
        session.handleBuffer(std::span(sound).subspan(at, kBuffer));
    const MeasurementEngine &engine = session.engine();
    const BeatScope scope = BeatScope::of(engine);
    std::printf("scope: %s\n", scope.emptyReason.empty() ? "drawn" : scope.emptyReason.c_str());

    QImage image(1000, 700, QImage::Format_RGB32);
    constexpr int kRedraws = 100;
    const double start = cpuSeconds();
    for (int i = 0; i < kRedraws; ++i) {
        const BeatScope taken = BeatScope::of(engine);
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        BeatScopePlot::draw(painter, image.rect(), taken);
    }
    const double each = (cpuSeconds() - start) / kRedraws;
    std::printf("scope redraw at 1000 x 700: %.2f ms, %.2f %% of a core at one a second\n", each * 1e3,
                100 * each);
    if (argc == 3 && std::strcmp(argv[1], "--picture") == 0)
        image.save(QString::fromLocal8Bit(argv[2]));

    spectrumCost(sound, 44100.0 / 6);
    return 0;
}
