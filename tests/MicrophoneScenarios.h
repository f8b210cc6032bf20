#pragma once
// Watches heard through ordinary microphones, harder than the measurement expects: each tick
// a cluster of six ringing bursts whose levels vary beat by beat, so that the impulse outdoes
// the drop in some beats; tocks that ring otherwise and are quieter; hum, hiss (white, or
// mostly above 12 kHz as in a laptop), room clicks as loud as ticks, level steps and a room
// with no watch. Each comes with its truth. `mic_scenario` writes them to WAV files.
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "capture/SyntheticWatch.h"

namespace tamsel::test {

// What a perfect timegrapher reads. The lift runs from the start of the unlocking burst to the
// start of the drop burst, and the balance, swinging with period T (two beats), passes the lift
// angle in it: amplitude = lift angle / (2 sin(pi d / T)). The beat error lies between the
// unlockings.
struct MicrophoneTruth {
    bool watchHeard = true;  // false: nothing may be read
    bool mayBeBlank = false; // so faint that no reading is as right as the true one
    double beatsPerHour = 0;
    double rateSecondsPerDay = 0;
    double beatErrorMs = 0; // odd beats come this much late
    double amplitudeDegrees = 0;
    double liftMs = 0;
};

inline MicrophoneTruth truthOf(const SyntheticWatch &watch)
{
    const SyntheticWatchParams &p = watch.params();
    // Ticks that stand less than ten times out of the hiss may be told apart from it, or not.
    const double hiss = std::hypot(p.microphone.hissRms, p.microphone.highHissRms);
    return {p.microphone.watchHeard,
            p.peakLevel < 10 * hiss,
            p.beatsPerHour,
            p.rateSecondsPerDay,
            p.beatErrorMs,
            p.amplitudeDegrees,
            watch.liftSamples() * 1000.0 / SyntheticWatch::kRate};
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

namespace detail {

using K = BurstKind;
// A real 21 600 bph watch folded over 40 s: each sub-event's place in the lift and its level
// against the beat's loudest. The tick's loudest is its drop, the tock's its impulse, and the
// tock's drop comes 0.3 ms later in its lift.
inline const std::vector<ShapedBurst> kRealTick = {{K::Unlocking, 0, 0.62},
                                                   {K::Impulse, 0.358, 0.61},
                                                   {K::ImpulseEcho, 0.425, 0.41},
                                                   {K::ImpulseEcho, 0.708, 0.58},
                                                   {K::ImpulseEcho, 0.783, 0.60},
                                                   {K::ImpulseEcho, 0.85, 0.58},
                                                   {K::Drop, 1, 1.0},
                                                   {K::DropEcho, 1, 0.49}};
inline const std::vector<ShapedBurst> kRealTock = {
    {K::Unlocking, 0, 0.42},       {K::UnlockingEcho, 0.073, 0.40},
    {K::Impulse, 0.39, 1.0},       {K::ImpulseEcho, 0.47, 0.59},
    {K::ImpulseEcho, 0.69, 0.61},  {K::ImpulseEcho, 0.756, 0.53},
    {K::ImpulseEcho, 0.854, 0.47}, {K::Drop, 1, 0.81}};

} // namespace detail

// Harder still: ticks and tocks that sound unlike each other (other counts of sub-events,
// another loudest, a tock whose drop comes later in its lift), the longest lifts a running
// watch has, ticks over exact digital silence as a signal generator gives them, and a faint
// watch. The truth is the physics the generator is built on: beat error between the
// unlockings, the lift from the amplitude through the balance's motion.
inline std::vector<MicrophoneScenario> harderScenarios(uint32_t seed = 1)
{
    using detail::heard;
    using detail::K;
    std::vector<MicrophoneScenario> all;
    auto add = [&](const char *name, const char *what, SyntheticWatchParams p) {
        p.seed = seed;
        all.push_back({name, what, p});
    };
    {
        SyntheticWatchParams p = heard(21600, 3.5, 0.6, 233, 900);
        p.microphone.tickShape = detail::kRealTick;
        p.microphone.tockShape = detail::kRealTock;
        p.microphone.tockLiftMs = 0.3;
        p.microphone.tockLevel = 0.8;
        p.microphone.highHissRms = 25;
        p.microphone.highHissHz = 16000;
        p.microphone.pitch = 1.4;
        add("real21600", "21 600 bph shaped as a real tick and tock: other loudest, drop 0.3 ms later", p);
    }
    {
        SyntheticWatchParams p = heard(18000, -5, 0.3, 260, 700);
        p.microphone.tickShape = {{K::Unlocking, 0, 0.5},
                                  {K::UnlockingEcho, 0.2, 0.35},
                                  {K::Impulse, 0.45, 1.0},
                                  {K::ImpulseEcho, 0.7, 0.4},
                                  {K::Drop, 1, 0.75}};
        p.microphone.tockShape = {{K::Unlocking, 0, 0.6}, {K::Impulse, 0.5, 0.5}, {K::Drop, 1, 1.0}};
        p.microphone.tockLiftMs = 0.3;
        p.microphone.tockLevel = 0.6;
        add("unlike18000", "18 000 bph, a five-burst tick loudest at its impulse, a three-burst tock", p);
    }
    {
        SyntheticWatchParams p = heard(28800, 1, 1.5, 280, 1400);
        p.microphone.tickShape = {
            {K::Unlocking, 0, 0.7}, {K::Impulse, 0.4, 0.55}, {K::Drop, 1, 1.0}, {K::DropEcho, 1, 0.45}};
        p.microphone.tockShape = {{K::Unlocking, 0, 0.35},    {K::UnlockingEcho, 0.1, 0.3},
                                  {K::Impulse, 0.42, 0.8},    {K::ImpulseEcho, 0.6, 1.0},
                                  {K::ImpulseEcho, 0.8, 0.5}, {K::Drop, 1, 0.7}};
        p.microphone.tockPitch = 0.8;
        add("unlike28800", "28 800 bph, 1.5 ms beat error, the tock loudest at an echo of its impulse", p);
    }
    {
        SyntheticWatchParams p = heard(18000, 2, 0.4, 150, 800);
        add("lift150", "18 000 bph at 150 degrees: a lift of 22 ms", p);
    }
    {
        SyntheticWatchParams p = heard(18000, -3, 0.5, 115, 800);
        add("lift30ms", "18 000 bph at 115 degrees: a lift of 30 ms, the longest a running watch has", p);
    }
    for (const auto &[name, bph, rate, beatError] :
         {std::tuple{"silent18000", 18000.0, 0.0, 0.3}, std::tuple{"silent30spd", 21600.0, 30.0, 0.2},
          std::tuple{"silent5ms", 18000.0, -2.0, 5.0}}) {
        SyntheticWatchParams p = heard(bph, rate, beatError, 270, 8000);
        MicrophoneParams &m = p.microphone;
        m.drift = m.humLevel = m.hissRms = m.clicksPerMinute = m.burstJitter = 0;
        add(name, "ticks over exact digital silence, as a signal generator gives them", p);
    }
    {
        SyntheticWatchParams p = heard(21600, 3, 0.4, 260, 250);
        p.microphone.hissRms = 60;
        p.microphone.humLevel = 60;
        add("faint21600", "21 600 bph, ticks peaking at 250 over hiss of 60 and light hum", p);
    }
    return all;
}

} // namespace tamsel::test
