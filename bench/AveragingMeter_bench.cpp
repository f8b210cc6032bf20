// The averaging measurement for ordinary microphones on its own: how many times faster than
// real time it runs, its share of one core when fed live, and its resident memory over an
// hour of audio (it must stay flat: templates, envelopes and beat lists are bounded).
#include <cstdio>
#include <string>
#include <vector>

#include "ProcessUsage.h"
#include "capture/SyntheticWatch.h"
#include "measurement/averaging/AveragingMeter.h"

using namespace tamsel;
using tamsel::bench::cpuSeconds;
using tamsel::bench::residentKiB;

namespace {

// An hour of `sound` (a minute played over and over: the meter cannot tell, and the run stays
// short) through the meter, reporting speed and memory.
void measure(const char *what, const SyntheticWatchParams &params)
{
    const SyntheticWatch watch(params);
    const size_t minute = 60 * 44100, buffer = 5512;
    std::vector<int16_t> sound(minute);
    watch.generate(0, sound.data(), sound.size());

    AveragingMeter meter;
    double cpu = 0;
    long afterMinute = 0;
    std::printf("%s\n", what);
    for (int m = 1; m <= 60; ++m) {
        const double start = cpuSeconds();
        for (size_t at = 0; at + buffer <= minute; at += buffer) {
            meter.add(sound.data() + at, buffer);
            meter.takeBeats();
        }
        cpu += cpuSeconds() - start;
        if (m == 1)
            afterMinute = residentKiB();
        if (m == 1 || m == 10 || m == 60)
            std::printf("  after %2d min: resident %.1f MB, reading %s\n", m, residentKiB() / 1024.0,
                        meter.hasReading() ? "yes" : "no");
    }
    const double audio = 3600;
    std::printf("  averaging meter: %.0fx real time, %.2f %% of a core when live\n", audio / cpu,
                100 * cpu / audio);
    std::printf("  memory growth from the first minute to the hour: %.1f MB\n",
                (residentKiB() - afterMinute) / 1024.0);
}

} // namespace

int main()
{
    // 21 600 bph as an ordinary microphone hears it: six bursts a tick, hum, hiss, clicks.
    SyntheticWatchParams watch;
    watch.beatsPerHour = 21600;
    watch.peakLevel = 900;
    watch.microphone.on = true;
    watch.microphone.subEvents = 6;
    watch.microphone.burstJitter = 0.25;
    measure("a watch at 21 600 bph", watch);

    // A seconds pendulum: a faint unlocking and a loud drop ringing low 160 ms later, the
    // longest templates the meter learns.
    SyntheticWatchParams clock;
    clock.beatsPerHour = 3600;
    clock.rateSecondsPerDay = 20;
    clock.beatErrorMs = 15;
    clock.liftAngle = 2;
    clock.amplitudeDegrees = 4.02;
    clock.peakLevel = 3000;
    clock.microphone.on = true;
    clock.microphone.tickShape = {{BurstKind::Unlocking, 0, 0.15, {.hz = 3000, .decayMs = 0.8}},
                                  {BurstKind::Drop, 1, 1.0, {.hz = 1300, .secondHz = 2200, .decayMs = 3.5}}};
    clock.microphone.tockShape = clock.microphone.tickShape;
    measure("a clock at 3 600 bph", clock);
    return 0;
}
