#pragma once
// Watches heard through ordinary microphones, harder than the measurement expects: each tick
// a cluster of six ringing bursts whose levels vary beat by beat, so that the impulse outdoes
// the drop in some beats; tocks that ring otherwise and are quieter; hum, hiss (white, or
// mostly above 12 kHz as in a laptop), room clicks as loud as ticks, level steps and a room
// with no watch. Then ticks that ring as one, handled microphones, pin-levers and clocks. Each
// comes with its truth. `mic_scenario` writes them to WAV files.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
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
    bool amplitudeMayBeBlank = false; // a tick or a tock has no drop to end its lift
};

inline MicrophoneTruth truthOf(const SyntheticWatch &watch)
{
    const SyntheticWatchParams &p = watch.params();
    // Ticks that stand less than ten times out of the hiss may be told apart from it, or not.
    const double hiss = std::hypot(p.microphone.hissRms, p.microphone.highHissRms);
    const auto dropless = [](const std::vector<ShapedBurst> &shape) {
        return !shape.empty() &&
               std::none_of(shape.begin(), shape.end(), [](auto &b) { return b.kind == BurstKind::Drop; });
    };
    return {p.microphone.watchHeard,
            p.peakLevel < 10 * hiss,
            p.beatsPerHour,
            p.rateSecondsPerDay,
            p.beatErrorMs,
            p.amplitudeDegrees,
            watch.liftSamples() * 1000.0 / SyntheticWatch::kRate,
            dropless(p.microphone.tickShape) || dropless(p.microphone.tockShape)};
}

struct MicrophoneScenario {
    std::string name;
    std::string what;
    SyntheticWatchParams params;
    double seconds = 70; // long enough for the analyzer's first sweep at its default view (60 s)
};

namespace detail {

// A watch through a microphone: its rate, beat error, amplitude and the level of its ticks.
inline SyntheticWatchParams microphoneWatch(double beatsPerHour, double rate, double beatError,
                                            double amplitude, double tickPeak)
{
    SyntheticWatchParams p;
    p.beatsPerHour = beatsPerHour;
    p.rateSecondsPerDay = rate;
    p.beatErrorMs = beatError;
    p.amplitudeDegrees = amplitude;
    p.peakLevel = tickPeak;
    p.microphone.on = true;
    return p;
}

// The honest tick: six bursts with levels varying by a quarter either way, tocks at 0.7 of the
// tick ringing higher and shorter, a little drift, hum and hiss, two room clicks a minute.
inline SyntheticWatchParams heard(double beatsPerHour, double rate, double beatError, double amplitude,
                                  double tickPeak)
{
    SyntheticWatchParams p = microphoneWatch(beatsPerHour, rate, beatError, amplitude, tickPeak);
    MicrophoneParams &m = p.microphone;
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

namespace detail {

// The amplitude at which a balance or a pendulum of lift angle `liftAngle` passes it in
// `liftMs`: A = L / (2 sin(pi d / T)), T two beats at the rate.
inline double amplitudeForLift(double beatsPerHour, double rate, double liftAngle, double liftMs)
{
    const double twoBeatsMs = 2 * 3600e3 / beatsPerHour * (1 - rate / 86400);
    return liftAngle / (2 * std::sin(std::numbers::pi * liftMs / twoBeatsMs));
}

// A watch on a laptop's microphone, as one was heard: quiet beats (tick peaks near 240, whose
// level varies twofold from beat to beat and halves over the run), hiss under one unit in the
// watch's band, 100 Hz hum of about 16 RMS, a knock on the table in the first second and the
// watch picked up in the last 1.5 s. The tick is one smooth ring, its unlocking's, with no drop
// heard in it; the tock is three short bursts (unlocking, impulse, drop) whose loudest changes
// every few seconds.
inline SyntheticWatchParams laptopRing(double beatsPerHour, double rate, double beatError, double amplitude,
                                       double seconds)
{
    SyntheticWatchParams p = microphoneWatch(beatsPerHour, rate, beatError, amplitude, 240);
    MicrophoneParams &m = p.microphone;
    m.tockLevel = 0.85;
    m.drift = 0;
    m.humHz = 100;
    m.humLevel = 36;
    m.hissRms = 1.5;
    m.highHissRms = 4;
    m.clicksPerMinute = 0;
    m.burstJitter = 0.1;
    m.beatLevelSpread = 2;
    m.halvingSeconds = seconds;
    m.wander = 0.35;
    m.wanderSeconds = 6;
    m.bumpLevel = 17700;
    m.bumpAtSeconds = 0.6;
    m.handlingLevel = 2500;
    m.handlingFromSeconds = seconds - 1.5;
    m.tickShape = {{K::Unlocking, 0, 1.0, {.hz = 2340, .riseMs = 2.5, .decayMs = 7}}};
    const BurstRing tap{.hz = 2900, .secondHz = 4600, .decayMs = 1};
    m.tockShape = {{K::Unlocking, 0, 0.9, tap}, {K::Impulse, 0.45, 0.55, tap}, {K::Drop, 1, 1.0, tap}};
    return p;
}

// A pendulum clock: a faint unlocking, then the escape wheel's tooth landing on the pallet,
// ringing at two low modes with a time constant of 3.5 ms (30 dB down 12 ms on), in a quiet
// room. The lift is set, and the amplitude follows from it.
inline SyntheticWatchParams clock(double beatsPerHour, double rate, double beatError, double liftAngle,
                                  double liftMs, double dropHz)
{
    SyntheticWatchParams p = microphoneWatch(beatsPerHour, rate, beatError,
                                             amplitudeForLift(beatsPerHour, rate, liftAngle, liftMs), 3000);
    p.liftAngle = liftAngle;
    MicrophoneParams &m = p.microphone;
    m.tockLevel = 0.85;
    m.drift = 0.05;
    m.humLevel = 60;
    m.hissRms = 12;
    m.clicksPerMinute = 1;
    m.clickLevel = 0.3;
    m.burstJitter = 0.1;
    m.tickShape = {{K::Unlocking, 0, 0.15, {.hz = 3000, .decayMs = 0.8}},
                   {K::Drop, 1, 1.0, {.hz = dropHz, .secondHz = 1.7 * dropHz, .decayMs = 3.5}}};
    m.tockShape = {{K::Unlocking, 0, 0.15, {.hz = 3300, .decayMs = 0.8}},
                   {K::Drop, 1, 1.0, {.hz = 1.06 * dropHz, .secondHz = 1.8 * dropHz, .decayMs = 3.5}}};
    return p;
}

} // namespace detail

// What a watchmaker's bench puts before the microphone besides a tidy watch: ticks that ring as
// one with no drop to be heard (the amplitude may go unread, the rate and beat error not),
// levels that vary, fade and wander between bursts, a knocked and handled microphone, a drop
// fainter than the impulse, pin-lever clatter, clocks from one beat a second, and rooms with no
// watch.
inline std::vector<MicrophoneScenario> benchScenarios(uint32_t seed = 1)
{
    using detail::clock;
    using detail::heard;
    using detail::K;
    using detail::laptopRing;
    std::vector<MicrophoneScenario> all;
    auto add = [&](const char *name, const char *what, SyntheticWatchParams p, double seconds = 70) {
        p.seed = seed;
        all.push_back({name, what, p, seconds});
    };
    add("ring21600", "21 600 bph on a laptop: a tick ringing as one, a wandering tock, a knock and handling",
        laptopRing(21600, 5, 0.4, 250, 15), 15);
    add("ring21600long", "ring21600 over 70 s, its level halving over the run",
        laptopRing(21600, 5, 0.4, 250, 70));
    {
        SyntheticWatchParams p = laptopRing(18000, -6, 0.6, 240, 70);
        p.microphone.tickShape = {{K::Unlocking, 0, 1.0, {.hz = 2100, .riseMs = 3, .decayMs = 8}}};
        add("ring18000", "18 000 bph on a laptop: the tick ringing as one, the tock in three bursts", p);
    }
    {
        SyntheticWatchParams p = laptopRing(28800, 3, 0.3, 280, 70);
        p.microphone.tickShape = {{K::Unlocking, 0, 1.0, {.hz = 2600, .riseMs = 2, .decayMs = 5}}};
        p.microphone.tockShape = {{K::Unlocking, 0, 1.0, {.hz = 2950, .riseMs = 2, .decayMs = 5}}};
        add("ring28800", "28 800 bph on a laptop: tick and tock each ringing as one, no drop in either", p);
    }
    {
        SyntheticWatchParams p = heard(21600, 2.5, 0.5, 280, 900);
        p.microphone.tickShape = {{K::Unlocking, 0, 0.6}, {K::Impulse, 0.45, 1.0}, {K::Drop, 1, 0.4}};
        p.microphone.tockShape = {
            {K::Unlocking, 0, 0.5}, {K::Impulse, 0.4, 1.0}, {K::ImpulseEcho, 0.6, 0.45}, {K::Drop, 1, 0.35}};
        add("faintdrop21600", "21 600 bph at 280 degrees, loudest mid-lift, the drop at 0.4 of it", p);
    }
    {
        SyntheticWatchParams p = heard(18000, 4, 2.5, 200, 1400);
        p.liftAngle = 42;
        MicrophoneParams &m = p.microphone;
        m.tockLevel = 0.8;
        m.pitch = 0.8;
        m.burstJitter = 0.2;
        m.tickShape = {
            {K::Unlocking, 0, 0.85},    {K::UnlockingEcho, 0.12, 0.7}, {K::Impulse, 0.3, 0.9},
            {K::ImpulseEcho, 0.5, 0.8}, {K::ImpulseEcho, 0.68, 0.85},  {K::ImpulseEcho, 0.85, 0.75},
            {K::Drop, 1, 1.0},          {K::DropEcho, 1, 0.7}};
        m.tockShape = {{K::Unlocking, 0, 0.9},      {K::UnlockingEcho, 0.15, 0.75}, {K::Impulse, 0.35, 1.0},
                       {K::ImpulseEcho, 0.55, 0.8}, {K::ImpulseEcho, 0.75, 0.9},    {K::Drop, 1, 0.95},
                       {K::DropEcho, 1, 0.6}};
        add("pinlever18000", "18 000 bph pin-lever clatter, 2.5 ms out of beat, 200 degrees at 42", p);
    }
    {
        SyntheticWatchParams p = heard(25200, -2, 0.8, 290, 1100);
        MicrophoneParams &m = p.microphone;
        m.tickShape = {
            {K::Unlocking, 0, 0.4}, {K::Impulse, 0.35, 1.0}, {K::ImpulseEcho, 0.55, 0.5}, {K::Drop, 1, 0.7}};
        m.tockShape = {
            {K::Unlocking, 0, 0.9}, {K::UnlockingEcho, 0.08, 0.5}, {K::Drop, 1, 1.0}, {K::DropEcho, 1, 0.5}};
        m.tockLiftMs = 0.4;
        m.tockLevel = 0.7;
        m.tockPitch = 0.75;
        m.tockDecay = 1.4;
        add("unlike25200", "25 200 bph, a tick loudest mid-lift, a tock of unlocking and drop ringing lower",
            p);
    }
    add("clock3600", "a seconds pendulum, 3 600 bph, 15 ms out of beat, a 160 ms lift at 2 degrees",
        clock(3600, 20, 15, 2, 160, 1300));
    add("clock5400", "a bracket clock, 5 400 bph, 5 ms out of beat, a 100 ms lift at 2.5 degrees",
        clock(5400, 10, 5, 2.5, 100, 1100));
    add("clock7200", "a wall clock, 7 200 bph, 8 ms out of beat, a 75 ms lift at 3 degrees",
        clock(7200, -30, 8, 3, 75, 1600));
    add("clock8100", "a clock at its own 8 100 bph, 4 ms out of beat, a 60 ms lift at 3 degrees",
        clock(8100, 6, 4, 3, 60, 1500));
    add("clock9000", "a bracket clock, 9 000 bph, 3 ms out of beat, a 55 ms lift at 4 degrees",
        clock(9000, -12, 3, 4, 55, 1900));
    {
        SyntheticWatchParams p = heard(10800, 8, 1.0, 240, 1500);
        p.liftAngle = 50;
        p.microphone.pitch = 0.7; // a larger balance and wheels ring lower
        p.microphone.tockLevel = 0.75;
        add("platform10800", "a carriage clock's platform, 10 800 bph, 240 degrees at 50", p);
    }
    {
        SyntheticWatchParams p = heard(14400, -4, 0.8, 260, 1500);
        p.liftAngle = 48;
        p.microphone.pitch = 0.8;
        add("platform14400", "a carriage clock's platform, 14 400 bph, 260 degrees at 48", p);
    }
    {
        SyntheticWatchParams p = laptopRing(21600, 0, 0, 250, 70);
        p.microphone.watchHeard = false;
        p.microphone.bumpLevel = 0;
        p.microphone.handlingLevel = 0;
        add("nowatchlaptop", "no watch on a laptop's microphone: 100 Hz hum and faint hiss only", p);
    }
    {
        SyntheticWatchParams p = heard(21600, 0, 0, 250, 1000);
        MicrophoneParams &m = p.microphone;
        m.watchHeard = false;
        m.bumpLevel = 17700;
        m.bumpAtSeconds = 2;
        m.handlingLevel = 1500;
        m.handlingFromSeconds = 10;
        add("nowatchhandled", "no watch: a microphone knocked at 2 s and handled from 10 s on", p);
    }
    return all;
}

} // namespace tamsel::test
