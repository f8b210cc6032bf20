// The microphone scenarios' generator: the truth it states is where its bursts are, a seed
// gives one recording however it is read, and the plain microphone watch is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "MicrophoneScenarios.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

uint64_t fnv(const std::vector<int16_t> &samples)
{
    uint64_t h = 1469598103934665603ull;
    for (int16_t s : samples) {
        h ^= static_cast<uint16_t>(s);
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<int16_t> samplesOf(const SyntheticWatch &watch, int64_t from, size_t count)
{
    std::vector<int16_t> samples(count);
    watch.generate(from, samples.data(), count);
    return samples;
}

// Samples a beat lasts, by the stated rate.
double beatPeriod(const MicrophoneTruth &truth)
{
    return 44100 * 3600 / truth.beatsPerHour * (1 - truth.rateSecondsPerDay / 86400);
}

// The balance, swinging with period T (two beats), passes the lift angle in `lift` samples.
double amplitudeOf(double liftAngle, double lift, double beat)
{
    return liftAngle / (2 * std::sin(M_PI * lift / (2 * beat)));
}

} // namespace

// The fields added for the scenarios change nothing at their defaults: the demo's microphone
// watch and the analyzer tests' ones give the samples they gave since their lift became the
// balance's own.
TEST(MicrophoneScenarios, PlainMicrophoneWatchIsUnchanged)
{
    SyntheticWatchParams demo;
    demo.microphone.on = true;
    demo.peakLevel = 1000;
    SyntheticWatchParams slow;
    slow.beatsPerHour = 18000;
    slow.rateSecondsPerDay = 6;
    slow.beatErrorMs = 0.2;
    slow.amplitudeDegrees = 280;
    slow.peakLevel = 300;
    slow.microphone = {true, 0.6, 0.25, 50, 400, 20, 4};
    SyntheticWatchParams clipped;
    clipped.beatsPerHour = 21600;
    clipped.peakLevel = 150000;
    clipped.microphone = {true, 0.7, 0.2, 50, 300, 60, 4};
    clipped.seed = 7;
    EXPECT_EQ(fnv(samplesOf(SyntheticWatch(demo), 0, 8 * 44100)), 0x47af1507b653c8ebull);
    EXPECT_EQ(fnv(samplesOf(SyntheticWatch(slow), 0, 8 * 44100)), 0x89b7985e67a70c00ull);
    EXPECT_EQ(fnv(samplesOf(SyntheticWatch(clipped), 0, 8 * 44100)), 0x10f26540d3eee6c2ull);
}

// Each scenario's bursts sit where its truth says: the lift from the unlocking to the drop
// gives the stated amplitude, ticks and tocks alternate by the stated beat error, and the
// beats repeat at the stated rate. The loudest burst is not always the same one.
TEST(MicrophoneScenarios, TruthIsWhereTheBurstsAre)
{
    const std::vector<MicrophoneScenario> scenarios = microphoneScenarios(3);
    ASSERT_EQ(scenarios.size(), 11u);
    for (const MicrophoneScenario &s : scenarios) {
        SCOPED_TRACE(s.name);
        const SyntheticWatch watch(s.params);
        const MicrophoneTruth truth = truthOf(watch);
        if (!truth.watchHeard) {
            EXPECT_TRUE(watch.heardBursts(0).empty());
            continue;
        }
        const double period = beatPeriod(truth);
        const double lift = truth.liftMs * 44.1;
        EXPECT_NEAR(amplitudeOf(s.params.liftAngle, lift, period), truth.amplitudeDegrees, 1e-9);
        EXPECT_NEAR(truth.amplitudeDegrees, s.params.amplitudeDegrees, 1.5);
        const int beats = static_cast<int>(s.seconds * truth.beatsPerHour / 3600);
        int impulseLoudest = 0;
        std::vector<double> drops;
        for (int beat = 0; beat < beats; ++beat) {
            const std::vector<SyntheticWatch::HeardBurst> bursts = watch.heardBursts(beat);
            ASSERT_EQ(bursts.size(), 6u);
            ASSERT_EQ(bursts.front().kind, SyntheticWatch::HeardBurst::Unlocking);
            ASSERT_EQ(bursts[4].kind, SyntheticWatch::HeardBurst::Drop);
            for (size_t i = 1; i < bursts.size(); ++i)
                ASSERT_GT(bursts[i].start, bursts[i - 1].start);
            EXPECT_EQ(bursts[4].start - bursts.front().start, std::lround(lift));
            drops.push_back(static_cast<double>(bursts[4].start));
            impulseLoudest += bursts[2].level > bursts[4].level;
        }
        EXPECT_GT(impulseLoudest, 0);
        EXPECT_LT(impulseLoudest, beats);
        // Beat error: half the difference between the tick-to-tock and tock-to-tick intervals;
        // rate: the mean interval against the nominal one.
        double difference = 0;
        for (int k = 0; k + 2 < beats; k += 2)
            difference += (drops[k + 1] - drops[k]) - (drops[k + 2] - drops[k + 1]);
        EXPECT_NEAR(difference / ((beats - 1) / 2) / 2 / 44.1, truth.beatErrorMs, 0.001);
        const int last = (beats - 1) / 2 * 2; // a tick, as beat 0 is
        const double mean = (drops[last] - drops[0]) / last;
        const double nominal = 44100 * 3600 / truth.beatsPerHour;
        EXPECT_NEAR((nominal - mean) / nominal * 86400, truth.rateSecondsPerDay, 0.05);
    }

    const auto named = [&](const char *name) {
        const auto found =
            std::find_if(scenarios.begin(), scenarios.end(), [&](auto &s) { return s.name == name; });
        EXPECT_NE(found, scenarios.end()) << name;
        return found == scenarios.end() ? SyntheticWatchParams{} : found->params;
    };
    // The honest tock: its impulse and its drop about 7 ms apart and alike in level.
    const SyntheticWatch honest(named("honest21600"));
    const std::vector<SyntheticWatch::HeardBurst> tock = honest.heardBursts(1);
    ASSERT_EQ(tock.size(), 6u);
    EXPECT_NEAR((tock[4].start - tock[2].start) / 44.1, 6.9, 0.2);
    double impulses = 0, drops = 0;
    for (int beat = 1; beat < 400; beat += 2) {
        impulses += honest.heardBursts(beat)[2].level;
        drops += honest.heardBursts(beat)[4].level;
    }
    EXPECT_NEAR(impulses / drops, 1, 0.1);
    // The watch moved closer: +12 dB (within the per-beat jitter of 10 %).
    const SyntheticWatch steps(named("steps21600"));
    ASSERT_EQ(steps.heardBursts(88).size(), 6u);
    const double before = steps.heardBursts(88)[4].level, after = steps.heardBursts(92)[4].level;
    EXPECT_GT(after / before, 3.98 * 0.9 * 0.9 / 1.1);
    EXPECT_LT(after / before, 3.98 * 1.1 / 0.9 / 0.9);
}

// A stretch is the same however it is cut and read again; another seed gives another
// recording. The laptop's hiss lies mostly above 12 kHz, at the stated level. A knock on the
// microphone peaks where it is meant to.
TEST(MicrophoneScenarios, SeedGivesOneRecordingAndTheLaptopHissIsHigh)
{
    std::vector<MicrophoneScenario> scenarios = microphoneScenarios(11);
    for (MicrophoneScenario &s : benchScenarios(11))
        scenarios.push_back(std::move(s));
    for (const MicrophoneScenario &s : scenarios) {
        SCOPED_TRACE(s.name);
        const SyntheticWatch watch(s.params);
        // Early stretches hold the knocks, the last the handling.
        for (const int64_t from : {int64_t{20000}, static_cast<int64_t>((s.seconds - 1.2) * 44100)}) {
            const std::vector<int16_t> whole = samplesOf(watch, from, 20000);
            std::vector<int16_t> pieces;
            for (int64_t at = from; at < from + 20000; at += 1237) {
                const std::vector<int16_t> piece =
                    samplesOf(watch, at, std::min<size_t>(1237, from + 20000 - at));
                pieces.insert(pieces.end(), piece.begin(), piece.end());
            }
            EXPECT_EQ(whole, pieces);
            SyntheticWatchParams other = s.params;
            other.seed = 12;
            EXPECT_NE(samplesOf(SyntheticWatch(other), from, 20000), whole);
        }
        if (s.params.microphone.bumpLevel > 0) {
            const std::vector<int16_t> knock = samplesOf(watch, 0, 3 * 44100);
            const auto loudest = std::max_element(knock.begin(), knock.end(),
                                                  [](int x, int y) { return std::abs(x) < std::abs(y); });
            EXPECT_NEAR(std::abs(*loudest), s.params.microphone.bumpLevel,
                        0.03 * s.params.microphone.bumpLevel);
            EXPECT_NEAR((loudest - knock.begin()) / 44100.0, s.params.microphone.bumpAtSeconds, 0.01);
        }
    }

    SyntheticWatchParams hiss;
    hiss.microphone = {true, 0.7, 0, 50, 0, 0, 0};
    hiss.microphone.watchHeard = false;
    hiss.microphone.highHissRms = 300;
    const std::vector<int16_t> samples = samplesOf(SyntheticWatch(hiss), 0, 44100);
    double power = 0;
    for (int16_t s : samples)
        power += static_cast<double>(s) * s;
    EXPECT_NEAR(std::sqrt(power / 44100), 300, 15);
    // Power above 12 kHz from 128-sample transforms.
    constexpr int kN = 128;
    std::vector<std::complex<double>> turns(kN);
    for (int n = 0; n < kN; ++n)
        turns[n] = std::polar(1.0, -2 * M_PI * n / kN);
    double high = 0, all = 0;
    for (size_t frame = 0; frame + kN <= samples.size(); frame += kN)
        for (int bin = 1; bin < kN / 2; ++bin) {
            std::complex<double> sum;
            for (int n = 0; n < kN; ++n)
                sum += static_cast<double>(samples[frame + n]) * turns[bin * n % kN];
            all += std::norm(sum);
            high += bin * 44100.0 / kN >= 12000 ? std::norm(sum) : 0;
        }
    EXPECT_GT(high / all, 0.9);
}

// The bench's scenarios too have their truth in the bursts: each beat opens with its
// unlocking, the drop (where heard) comes one lift later, and the unlockings keep the stated
// rate and beat error, clocks of one beat a second included. The laptop's tock changes its
// loudest burst back and forth, its level halves as stated, and its tick swells into one ring
// and dies away.
TEST(MicrophoneScenarios, BenchTruthIsWhereTheBurstsAre)
{
    using Burst = SyntheticWatch::HeardBurst;
    const std::vector<MicrophoneScenario> scenarios = benchScenarios(5);
    for (const MicrophoneScenario &s : scenarios) {
        SCOPED_TRACE(s.name);
        const SyntheticWatch watch(s.params);
        const MicrophoneTruth truth = truthOf(watch);
        if (!truth.watchHeard) {
            EXPECT_TRUE(watch.heardBursts(0).empty());
            continue;
        }
        const double period = beatPeriod(truth);
        const double lift = truth.liftMs * 44.1;
        EXPECT_NEAR(amplitudeOf(s.params.liftAngle, lift, period), truth.amplitudeDegrees, 1e-9);
        const int beats = static_cast<int>(s.seconds * truth.beatsPerHour / 3600);
        std::vector<double> unlockings;
        for (int beat = 0; beat < beats; ++beat) {
            const std::vector<Burst> bursts = watch.heardBursts(beat);
            ASSERT_FALSE(bursts.empty());
            ASSERT_EQ(bursts.front().kind, Burst::Unlocking);
            EXPECT_EQ(bursts.front().start, watch.peakOf(beat) - watch.liftSamples());
            const long tockLift = beat & 1 ? std::lround(s.params.microphone.tockLiftMs * 44.1) : 0L;
            for (const Burst &b : bursts)
                if (b.kind == Burst::Drop) {
                    EXPECT_EQ(b.start - bursts.front().start, std::lround(lift) + tockLift);
                }
            unlockings.push_back(static_cast<double>(bursts.front().start));
        }
        // Within what whole samples allow: half of one for the beat error, one over the run for
        // the rate (a few beats of a clock, or 15 s of a watch).
        double difference = 0;
        for (int k = 0; k + 2 < beats; k += 2)
            difference += (unlockings[k + 1] - unlockings[k]) - (unlockings[k + 2] - unlockings[k + 1]);
        EXPECT_NEAR(difference / ((beats - 1) / 2) / 2 / 44.1, truth.beatErrorMs, 0.5 / 44.1);
        const int last = (beats - 1) / 2 * 2;
        const double span = unlockings[last] - unlockings[0];
        const double nominal = 44100 * 3600 / truth.beatsPerHour;
        EXPECT_NEAR((nominal - span / last) / nominal * 86400, truth.rateSecondsPerDay, 86400 / span);
    }

    const auto named = [&](const char *name) {
        const auto found =
            std::find_if(scenarios.begin(), scenarios.end(), [&](auto &s) { return s.name == name; });
        EXPECT_NE(found, scenarios.end()) << name;
        return found == scenarios.end() ? MicrophoneScenario{} : *found;
    };
    // The tock's loudest burst: its unlocking for some seconds, its drop for others. The tick's
    // level (one burst, whatever the wander) halves over the run, beat to beat spread aside.
    const MicrophoneScenario ring = named("ring21600long");
    const SyntheticWatch laptop(ring.params);
    int unlockingLoudest = 0, dropLoudest = 0;
    double early = 0, late = 0;
    const int beats = static_cast<int>(ring.seconds * 6);
    for (int beat = 1; beat < beats; beat += 2) {
        const std::vector<Burst> tock = laptop.heardBursts(beat);
        ASSERT_EQ(tock.size(), 3u);
        const auto loudest = std::max_element(
            tock.begin(), tock.end(), [](const Burst &x, const Burst &y) { return x.level < y.level; });
        unlockingLoudest += loudest->kind == Burst::Unlocking;
        dropLoudest += loudest->kind == Burst::Drop;
        const double level = std::log(laptop.heardBursts(beat - 1).front().level);
        early += beat < 60 ? level : 0; // the first ten seconds
        late += beat >= beats - 60 ? level : 0;
    }
    EXPECT_GT(unlockingLoudest, beats / 8);
    EXPECT_GT(dropLoudest, beats / 8);
    EXPECT_NEAR(std::exp((late - early) / 30), std::exp2(-60 / ring.params.microphone.halvingSeconds), 0.08);

    // Alone, the tick rises to one peak 2.5 ms on and falls from it, nothing standing out of it.
    SyntheticWatchParams alone = ring.params;
    MicrophoneParams &m = alone.microphone;
    m.humLevel = m.hissRms = m.highHissRms = m.bumpLevel = m.handlingLevel = 0;
    const SyntheticWatch tick(alone);
    const int64_t start = tick.heardBursts(4).front().start;
    const std::vector<int16_t> sound = samplesOf(tick, start, 40 * 44);
    std::vector<int> crests; // the largest sample of each millisecond
    for (size_t at = 0; at < sound.size(); at += 44)
        crests.push_back(std::abs(*std::max_element(sound.begin() + at, sound.begin() + at + 44,
                                                    [](int x, int y) { return std::abs(x) < std::abs(y); })));
    const auto top = std::max_element(crests.begin(), crests.end()) - crests.begin();
    EXPECT_GE(top, 1);
    EXPECT_LE(top, 3);
    for (size_t k = 1; k < crests.size(); ++k)
        if (static_cast<long>(k) <= top)
            EXPECT_GE(crests[k], crests[k - 1]) << k;
        else
            EXPECT_LE(crests[k], crests[k - 1] + 1) << k;
}
