// The capture path of the main window: full buffers (11 024 samples) of a ticking watch
// at the 60-second view, bars drawn, at the window's layout size.
// Prints the real-time factor of the whole buffer handler, also with the input filter on, and
// the resident memory after two minutes of audio.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "ProcessUsage.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/ScriptedSoundService.h"

using namespace tamsel;
using tamsel::bench::cpuSeconds;
using tamsel::bench::residentKiB;

namespace {

// A watch at 5 beats per second: a decaying 3 kHz burst per beat over faint noise.
std::vector<int16_t> watch(size_t samples)
{
    std::vector<int16_t> out(samples);
    uint32_t noise = 1;
    for (size_t i = 0; i < samples; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double t = static_cast<double>(i % 8820);
        double v = static_cast<double>(static_cast<int>(noise >> 24) - 128) * 2;
        if (t < 600)
            v += 20000 * std::exp(-t / 120) * std::sin(t * 0.43);
        out[i] = static_cast<int16_t>(v);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    auto *service = new ScriptedSoundService;
    QTemporaryDir dir;
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    TForm1 form{std::unique_ptr<SoundService>(service), design};
    form.show();
    QCoreApplication::processEvents();
    std::printf("signal graph %dx%d, chart %dx%d\n", form.PaintBox2->width(), form.PaintBox2->height(),
                form.PaintBox1->width(), form.PaintBox1->height());

    const size_t perBuffer = 11024;
    const double seconds = 120;
    const size_t buffers = static_cast<size_t>(seconds * 44100 / perBuffer);
    const std::vector<int16_t> audio = watch(buffers * perBuffer);

    // The whole handler, as the device returns each buffer.
    auto handleAll = [&] {
        form.StartButton->click();
        double handling = 0;
        for (size_t b = 0; b < buffers; ++b) {
            const double start = cpuSeconds();
            service->deliver(&audio[b * perBuffer], perBuffer);
            QCoreApplication::processEvents();
            handling += cpuSeconds() - start;
        }
        return handling;
    };
    const double handling = handleAll();
    const double bpsCaptured = form.state.beatsPerSecond;
    form.InputFilter1->trigger();
    form.AutoThreshold1->trigger();
    const double handlingConditioned = handleAll();
    const double audioSeconds = static_cast<double>(buffers * perBuffer) / 44100;
    std::printf("audio: %.1f s in %zu buffers of %zu samples, 60 s view\n", audioSeconds, buffers, perBuffer);
    std::printf("whole buffer handler:            %.0fx real time\n", audioSeconds / handling);
    std::printf("  with filter and auto threshold: %.0fx real time\n", audioSeconds / handlingConditioned);
    std::printf("resident memory after %.0f s of audio: %.1f MB\n", audioSeconds,
                static_cast<double>(residentKiB()) / 1024);
    std::printf("beats per second counted: %.1f (conditioned: %.1f)\n", bpsCaptured,
                form.state.beatsPerSecond);
    return 0;
}
