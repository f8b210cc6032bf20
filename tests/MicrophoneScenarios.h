#pragma once
// Watches heard through ordinary microphones, harder than the measurement expects: each tick
// a cluster of six ringing bursts whose levels vary beat by beat, so that the impulse outdoes
// the drop in some beats; tocks that ring otherwise and are quieter; hum, hiss (white, or
// mostly above 12 kHz as in a laptop), room clicks as loud as ticks, level steps and a room
// with no watch. Each comes with its truth. `mic_scenario` writes them to WAV files.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/SyntheticWatch.h"

namespace tamsel::test {

// What a perfect timegrapher reads. The lift runs from the start of the unlocking burst to the
// start of the drop burst: amplitude = lift angle x (1 + (I + d) / (4 d)), I one beat.
struct MicrophoneTruth {
    bool watchHeard = true; // false: nothing may be read
    double beatsPerHour = 0;
    double rateSecondsPerDay = 0;
    double beatErrorMs = 0; // odd beats come this much late
    double amplitudeDegrees = 0;
    double liftMs = 0;
};

inline MicrophoneTruth truthOf(const SyntheticWatch &watch)
{
    const SyntheticWatchParams &p = watch.params();
    return {p.microphone.watchHeard, p.beatsPerHour,
            p.rateSecondsPerDay,     p.beatErrorMs,
            p.amplitudeDegrees,      watch.liftSamples() * 1000.0 / SyntheticWatch::kRate};
}

struct MicrophoneScenario {
    std::string name;
    std::string what;
    SyntheticWatchParams params;
    double seconds = 70; // long enough for the analyzer's first sweep at its default view (60 s)
};

namespace detail {

// The honest tick: six bursts with levels varying by a quarter either way, tocks at 0.7 of the
// tick ringing higher and shorter, a little drift, hum and hiss, two room clicks a minute.
inline SyntheticWatchParams heard(double beatsPerHour, double rate, double beatError, double amplitude,
                                  double tickPeak)
{
    SyntheticWatchParams p;
    p.beatsPerHour = beatsPerHour;
    p.rateSecondsPerDay = rate;
    p.beatErrorMs = beatError;
    p.amplitudeDegrees = amplitude;
    p.peakLevel = tickPeak;
    MicrophoneParams &m = p.microphone;
    m.on = true;
    m.tockLevel = 0.7;
    m.drift = 0.1;
    m.humHz = 50;
    m.humLevel = 100;
    m.hissRms = 25;
    m.clicksPerMinute = 2;
    m.subEvents = 6;
    m.burstJitter = 0.25;
    m.tockPitch = 1.18;
    m.tockDecay = 0.8;
    return p;
}

} // namespace detail

// Every scenario, with `seed` for its hiss, levels and clicks.
inline std::vector<MicrophoneScenario> microphoneScenarios(uint32_t seed = 1)
{
    using detail::heard;
    std::vector<MicrophoneScenario> all;
    auto add = [&](const char *name, const char *what, SyntheticWatchParams p) {
        p.seed = seed;
        all.push_back({name, what, p});
    };
    {
        SyntheticWatchParams p = heard(21600, 4.6, 0.55, 233, 900);
        p.microphone.tockLevel = 0.6;
        p.microphone.tockImpulseLevel = 0.95; // two tock bursts 7.6 ms apart, within 10 %
        p.microphone.tockPitch = 1.25;
        p.microphone.tockDecay = 0.7;
        p.microphone.hissRms = 25;
        p.microphone.highHissRms = 25; // half the hiss's energy above 16 kHz
        p.microphone.highHissHz = 16000;
        p.microphone.pitch = 1.5; // the tick stands highest at 5-12 kHz
        add("honest21600", "21 600 bph like the laptop recording: rival bursts, near-equal tock bursts", p);
    }
    {
        SyntheticWatchParams p = heard(18000, -8, 0.4, 230, 500);
        p.microphone.tockLevel = 0.5;
        p.microphone.humHz = 60;
        p.microphone.humLevel = 150;
        p.microphone.hissRms = 20;
        add("quiet18000", "18 000 bph, quiet, tock at half the tick, 60 Hz hum", p);
    }
    {
        SyntheticWatchParams p = heard(28800, 2, 0.2, 270, 1500);
        p.microphone.tockLevel = 0.8;
        p.microphone.clicksPerMinute = 20;
        p.microphone.clickLevel = 1.3; // 0.9 to 1.7 times the tick
        add("clicks28800", "28 800 bph, 20 room clicks a minute as loud as ticks or louder", p);
    }
    add("beaterror21600", "21 600 bph, 1.2 ms beat error", heard(21600, -3, 1.2, 250, 1200));
    {
        SyntheticWatchParams p = heard(21600, 4, 0.5, 235, 400);
        p.microphone.tockImpulseLevel = 0.92;
        p.microphone.hissRms = 15;
        p.microphone.highHissRms = 45; // nine tenths of the hiss's energy above 12 kHz
        p.microphone.highHissHz = 12000;
        p.microphone.pitch = 1.5;
        add("laptop21600", "21 600 bph, laptop-like hiss above 12 kHz, tick peaks of 400", p);
    }
    {
        SyntheticWatchParams p = heard(21600, -2, 0.3, 250, 900);
        p.microphone.levelSteps = {{15, 12}, {35, -14}};
        add("steps21600", "21 600 bph, the watch moved closer (+12 dB at 15 s) then away (-14 dB at 35 s)",
            p);
    }
    {
        SyntheticWatchParams p = heard(28800, 1, 2.0, 260, 1500);
        p.microphone.tockLevel = 0.4;
        add("be2ms28800", "28 800 bph, 2 ms beat error, tock at 0.4 of the tick", p);
    }
    {
        SyntheticWatchParams p = heard(18000, 3, 3.0, 220, 800);
        p.microphone.tockLevel = 0.6;
        add("be3ms18000", "18 000 bph, 3 ms beat error, tock at 0.6 of the tick", p);
    }
    {
        SyntheticWatchParams p = heard(18000, -6, 0.6, 240, 1200);
        p.microphone.humLevel = 1500;
        add("hum18000", "18 000 bph under strong 50 Hz hum (1 500)", p);
    }
    {
        SyntheticWatchParams p = heard(43200, 2, 0.8, 300, 1200);
        p.microphone.tockPitch = 0.6; // the tock rings mostly in another band than the tick
        p.microphone.tockLevel = 0.8;
        add("pitches43200", "43 200 bph, the tock ringing at 0.6 of the tick's pitch, 0.8 ms beat error", p);
    }
    {
        SyntheticWatchParams p = heard(21600, 0, 0, 250, 1000); // the clicks' loudness
        p.microphone.watchHeard = false;
        p.microphone.hissRms = 30;
        p.microphone.highHissRms = 20;
        p.microphone.humLevel = 300;
        p.microphone.clicksPerMinute = 4;
        add("nowatch", "no watch: room hiss, 50 Hz hum and a few clicks", p);
    }
    return all;
}

} // namespace tamsel::test
