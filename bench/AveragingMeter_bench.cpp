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

int main()
{
    // 21 600 bph as an ordinary microphone hears it: six bursts a tick, hum, hiss, clicks.
    SyntheticWatchParams params;
    params.beatsPerHour = 21600;
    params.peakLevel = 900;
    params.microphone.on = true;
    params.microphone.subEvents = 6;
    params.microphone.burstJitter = 0.25;
    const SyntheticWatch watch(params);
    // A minute of sound, played over and over: the meter cannot tell, and the run stays short.
    const size_t minute = 60 * 44100, buffer = 5512;
    std::vector<int16_t> sound(minute);
    watch.generate(0, sound.data(), sound.size());

    AveragingMeter meter;
    double cpu = 0;
    long afterMinute = 0;
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
            std::printf("after %2d min: resident %.1f MB, reading %s\n", m, residentKiB() / 1024.0,
                        meter.hasReading() ? "yes" : "no");
    }
    const double audio = 3600;
    std::printf("averaging meter: %.0fx real time, %.2f %% of a core when live\n", audio / cpu,
                100 * cpu / audio);
    std::printf("memory growth from the first minute to the hour: %.1f MB\n",
                (residentKiB() - afterMinute) / 1024.0);
    return 0;
}
