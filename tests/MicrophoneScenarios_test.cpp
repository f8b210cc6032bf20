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
        const double period = 44100 * 3600 / truth.beatsPerHour * (1 - truth.rateSecondsPerDay / 86400);
        const double lift = truth.liftMs * 44100 / 1000;
        EXPECT_NEAR(s.params.liftAngle / (2 * std::sin(M_PI * lift / (2 * period))), truth.amplitudeDegrees,
                    1e-9);
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
// recording. The laptop's hiss lies mostly above 12 kHz, at the stated level.
TEST(MicrophoneScenarios, SeedGivesOneRecordingAndTheLaptopHissIsHigh)
{
    for (const MicrophoneScenario &s : microphoneScenarios(11)) {
        SCOPED_TRACE(s.name);
        const SyntheticWatch watch(s.params);
        const std::vector<int16_t> whole = samplesOf(watch, 40000, 20000);
        std::vector<int16_t> pieces;
        for (int64_t at = 40000; at < 60000; at += 1237) {
            const std::vector<int16_t> piece = samplesOf(watch, at, std::min<size_t>(1237, 60000 - at));
            pieces.insert(pieces.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(whole, pieces);
        SyntheticWatchParams other = s.params;
        other.seed = 12;
        EXPECT_NE(samplesOf(SyntheticWatch(other), 40000, 20000), whole);
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
