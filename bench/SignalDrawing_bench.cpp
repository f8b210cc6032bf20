// Cost of the drawing done for every capture buffer, as a share of the buffer's own
// duration (11 024 samples, about 250 ms): the per-sample bars of the signal graph in the
// 60 s and 10 s views, and the two composites put on screen once per buffer.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "display/ChartFrame.h"
#include "display/ChartRuler.h"
#include "display/ChartTrace.h"
#include "display/Colors.h"
#include "display/SignalBars.h"
#include "display/SignalGraph.h"

using namespace tamsel;

namespace {

constexpr int kBufferSamples = 11024;
constexpr double kBufferSeconds = 0.25;
constexpr int kSignalW = 777, kSignalH = 63, kChartW = 777, kChartH = 254;

// A ticking watch: quiet noise with a loud decaying burst five times a second.
std::vector<uint16_t> tickingSound(int count)
{
    std::vector<uint16_t> samples(count);
    std::srand(1);
    for (int i = 0; i < count; ++i) {
        const int sinceTick = i % 8820;
        const int burst = sinceTick < 400 ? 30000 - sinceTick * 70 : 0;
        samples[i] = static_cast<uint16_t>(burst + std::rand() % 800);
    }
    return samples;
}

// CPU time of this thread, so that other work on the machine does not count.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <typename Work> double secondsPerRun(int runs, Work work)
{
    const double start = cpuSeconds();
    for (int i = 0; i < runs; ++i)
        work();
    return (cpuSeconds() - start) / runs;
}

void report(const char *what, double seconds)
{
    std::printf("%-44s %9.1f us  %7.4f %% of a buffer\n", what, seconds * 1e6,
                100 * seconds / kBufferSeconds);
}

double barsPerBuffer(int32_t viewSeconds)
{
    const int32_t sweep = 44100 * viewSeconds;
    const std::vector<uint16_t> sound = tickingSound(sweep + 1);
    QImage signal(kSignalW, kSignalH, QImage::Format_RGB32);
    signal.fill(colors::white);
    int32_t writeIndex = 0;
    const int buffers = 400;
    return secondsPerRun(buffers, [&] {
        const SignalBars bars(signal, sweep);
        for (int p = 0; p < kBufferSamples; ++p) {
            bars.draw(signal, writeIndex, sound[writeIndex]);
            if (++writeIndex > sweep)
                writeIndex = 0;
        }
    });
}

} // namespace

int main()
{
    // Off-screen images need no application object.
    double total = 0;
    for (int32_t view : {60, 10}) {
        const double seconds = barsPerBuffer(view);
        const std::string label = "bars, " + std::to_string(view) + " s view, 777 x 63";
        report(label.c_str(), seconds);
        total = std::max(total, seconds); // one view at a time
    }

    QImage signal(kSignalW, kSignalH, QImage::Format_RGB32);
    signal.fill(colors::white);
    const QImage overlay = SignalGraph::drawSignalOverlay(kSignalW, kSignalH, 15000, 1000);
    const double signalComposite = secondsPerRun(2000, [&] {
        const QImage picture = SignalGraph::composite(signal, overlay);
        if (picture.isNull())
            std::abort();
    });
    report("signal graph composite, 777 x 63", signalComposite);

    auto state = std::make_unique<MeasurementState>();
    state->samplesPerSecond = 44100;
    state->samplesPerSweep = 44100 * 60;
    state->viewSeconds = 60;
    state->beatsPerSecond = 5;
    state->zoom = 1;
    state->rulerShown = true;
    state->rulerX = state->rulerY = 10;
    ChartTrace chart;
    QImage trace = chart.newLayer(kChartW, kChartH);
    const QImage grid = ChartFrame::draw(kChartW, kChartH, 60);
    const QImage ruler = ChartRuler::draw(kChartW, kChartH, *state);
    const double chartComposite = secondsPerRun(500, [&] {
        const QImage picture = ChartTrace::composite(grid, ruler, trace, *state);
        if (picture.isNull())
            std::abort();
    });
    report("chart composite with ruler, 777 x 254", chartComposite);

    total += signalComposite + chartComposite;
    report("total per buffer (slower view)", total);
    std::printf("target: under 0.5 %% in total (%s)\n", total < 0.005 * kBufferSeconds ? "met" : "missed");
    return 0;
}
