// The averaging measurement's parts, each for what it promises: the band bank's envelopes, the
// two beat lines, the beat templates and the k-th smallest its typical levels are taken by. The sound is what
// a microphone hears of a watch: clusters of ringing bursts over hiss, with levels that vary beat by beat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "measurement/averaging/BandBank.h"
#include "measurement/averaging/BeatLines.h"
#include "measurement/averaging/BeatTemplate.h"
#include "measurement/averaging/KthSmallest.h"

using namespace tamsel;

namespace {

constexpr double kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A burst's distance from the beat's first one (ms) and its level against the loudest: the
// tick of a real 21 600 bph recording, folded over 40 s.
struct Burst {
    double ms, level;
};
const std::vector<Burst> kTick = {{0, 0.62},   {4.3, 0.61},  {5.1, 0.41},  {8.5, 0.58},
                                  {9.4, 0.60}, {10.2, 0.58}, {12.0, 1.00}, {13.2, 0.49}};

// Sound being put together: hiss, then ringing bursts added on.
class Sound {
public:
    Sound(double seconds, double hissRms, uint32_t seed)
        : values_(static_cast<size_t>(seconds * kRate)), random_(seed)
    {
        std::normal_distribution<double> hiss(0, hissRms);
        for (double &v : values_)
            v = hissRms > 0 ? hiss(random_) : 0;
    }

    // A burst struck at input sample `at` (between samples too), ringing at `hz` and dying
    // away by e every `decayMs`.
    void ring(double at, double hz, double level, double decayMs = 0.5)
    {
        const double decay = decayMs * 1e-3 * kRate;
        for (auto i = static_cast<int64_t>(std::ceil(at)); i < at + 12 * decay; ++i) {
            if (i < 0 || i >= static_cast<int64_t>(values_.size()))
                continue;
            const double t = static_cast<double>(i) - at;
            values_[static_cast<size_t>(i)] +=
                level * std::exp(-t / decay) * std::sin(2 * kPi * hz * t / kRate);
        }
    }
    // A beat whose first burst is struck at `at`: the pattern's bursts, each level varied by up
    // to `jitter` either way.
    void beat(double at, const std::vector<Burst> &pattern, double hz, double peak, double jitter)
    {
        std::uniform_real_distribution<double> vary(1 - jitter, 1 + jitter);
        for (const Burst &b : pattern)
            ring(at + b.ms * 1e-3 * kRate, hz, peak * b.level * vary(random_));
    }

    std::vector<int16_t> samples() const
    {
        std::vector<int16_t> out(values_.size());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<int16_t>(std::clamp(std::lround(values_[i]), -32768L, 32767L));
        return out;
    }

private:
    std::vector<double> values_;
    std::mt19937 random_;
};

// Fed as the capture hands it over: a quarter second at a time.
void feed(BandBank &bank, const std::vector<int16_t> &samples)
{
    constexpr size_t kBuffer = 11025;
    for (size_t at = 0; at < samples.size(); at += kBuffer)
        bank.add(samples.data() + at, std::min(kBuffer, samples.size() - at));
}

// The envelope sample in which input sample `at` is heard first.
int64_t envelopeIndexOf(double at)
{
    return static_cast<int64_t>(std::floor((at + BandBank::kDecimation - 1) / BandBank::kDecimation));
}

double centreOf(int band)
{
    const BandBank::Band &edges = BandBank::kBandEdges[static_cast<size_t>(band)];
    return std::sqrt(edges.lowHz * edges.highHz);
}

// Where the envelope first rises half way from its level before `from` to its peak within
// [from, to): an envelope index between samples.
double halfRise(const EnvelopeRing &envelope, int64_t from, int64_t to)
{
    double floor = 0;
    for (int64_t i = from - 20; i < from; ++i)
        floor += envelope[i] / 20.0;
    int64_t peak = from;
    for (int64_t i = from; i < to; ++i)
        if (envelope[i] > envelope[peak])
            peak = i;
    const double half = floor + 0.5 * (envelope[peak] - floor);
    int64_t i = peak;
    while (i > from && envelope[i - 1] > half)
        --i;
    const double below = envelope[i - 1], above = envelope[i];
    return static_cast<double>(i - 1) + (half - below) / (above - below);
}

double peakOf(const EnvelopeRing &envelope, int64_t from, int64_t to)
{
    float most = 0;
    for (int64_t i = from; i < to; ++i)
        most = std::max(most, envelope[i]);
    return most;
}

} // namespace

// A burst ringing at a band's centre stands highest there and far above the band furthest
// from it; its envelope rises where it was struck, give or take the filters' own delay, which
// differs from band to band (0.18 ms more in the lowest than in the highest).
TEST(BandBank, ABurstShowsInItsOwnBandAtTheTimeItWasStruck)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        Sound sound(3, 10 + 10 * seed, seed);
        std::vector<double> struck;
        for (int k = 0; k < 12; ++k) {
            struck.push_back(11025 + k * 7350 + 0.37 * k); // every phase against the decimation
            sound.ring(struck.back(), centreOf(k % BandBank::kBands), 1500 + 300 * seed);
        }
        BandBank bank;
        feed(bank, sound.samples());
        for (int k = 0; k < 12; ++k) {
            const int band = k % BandBank::kBands, far = band < 2 ? BandBank::kBands - 1 : 0;
            SCOPED_TRACE(band);
            const int64_t from = envelopeIndexOf(struck[static_cast<size_t>(k)]) - 10, to = from + 60;
            const double own = peakOf(bank.envelope(band), from, to);
            for (int other = 0; other < BandBank::kBands; ++other)
                EXPECT_GE(own, peakOf(bank.envelope(other), from, to));
            EXPECT_GT(own, 4 * peakOf(bank.envelope(far), from, to));
            const double rise = BandBank::inputTime(halfRise(bank.envelope(band), from, to));
            EXPECT_NEAR(rise, struck[static_cast<size_t>(k)], 0.2e-3 * kRate);
        }
    }
}

// A tick ringing low and a tock ringing high, struck at the same moment within their beats:
// the bands together hear them at that moment too, or the beat error would be the bands'.
TEST(BandBank, TheBandsTogetherHearALowAndAHighBurstAtTheirMoments)
{
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        Sound sound(4, 25, seed);
        std::vector<double> low, high;
        for (int k = 0; k < 10; ++k) {
            low.push_back(22050 + k * 14700 + 1.3 * k);
            high.push_back(low.back() + 7350 + 0.6 * seed);
            sound.ring(low.back(), centreOf(0), 1200);
            sound.ring(high.back(), centreOf(BandBank::kBands - 1), 800);
        }
        BandBank bank;
        feed(bank, sound.samples());
        const EnvelopeRing &both = bank.envelope(BandBank::kCombined);
        double lowLate = 0, highLate = 0;
        for (int k = 0; k < 10; ++k) {
            const auto at = static_cast<size_t>(k);
            const int64_t lowFrom = envelopeIndexOf(low[at]) - 10, highFrom = envelopeIndexOf(high[at]) - 10;
            lowLate += (BandBank::inputTime(halfRise(both, lowFrom, lowFrom + 60)) - low[at]) / 10;
            highLate += (BandBank::inputTime(halfRise(both, highFrom, highFrom + 60)) - high[at]) / 10;
        }
        EXPECT_NEAR(lowLate, highLate, 0.02e-3 * kRate);
        EXPECT_NEAR(lowLate, 0, 0.2e-3 * kRate);
    }
}

// A stream longer than the envelopes' memory keeps its last seconds only, in step with the
// input; digital silence after it is exactly nothing, not a tail of ever smaller numbers.
TEST(BandBank, LongStreamsStayBoundedAndSilenceIsExactlyZero)
{
    Sound sound(20, 30, 7);
    for (int k = 0; k < 120; ++k)
        sound.beat(2000 + k * 7350.3, kTick, 6500, 2000, 0.25);
    const std::vector<int16_t> watch = sound.samples();
    BandBank bank;
    for (int minute = 0; minute < 3; ++minute)
        feed(bank, watch);
    const std::vector<int16_t> silence(static_cast<size_t>(3 * kRate), 0);
    feed(bank, silence);
    for (int e = 0; e < BandBank::kEnvelopes; ++e) {
        SCOPED_TRACE(e);
        const EnvelopeRing &envelope = bank.envelope(e);
        EXPECT_EQ(envelope.end(), static_cast<int64_t>(63 * kRate / BandBank::kDecimation));
        EXPECT_EQ(envelope.end() - envelope.begin(), EnvelopeRing::kCapacity);
        int zeros = 0;
        for (int64_t i = envelope.end() - static_cast<int64_t>(BandBank::kEnvelopeRate); i < envelope.end();
             ++i)
            zeros += envelope[i] == 0.0f ? 1 : 0;
        EXPECT_EQ(zeros, static_cast<int>(BandBank::kEnvelopeRate));
    }
}

namespace {

// Ticks and tocks of a 21 600 bph watch over 30 s, locked on long ago: each beat jittered by a
// Gaussian of `jitter` samples.
struct Beats {
    std::vector<PlacedBeat> placed;
    double cycle = 14700 * (1 - 5.0 / 86400); // gaining 5 s/day
    double tickAt = 1234.5, tockAt = 1234.5 + 7350 + 0.6e-3 * kRate;
    double jitter = 0;

    Beats(double jitterSamples, uint32_t seed) : jitter(jitterSamples)
    {
        std::mt19937 random(seed);
        std::normal_distribution<double> off(0, jitter);
        for (int64_t c = 400; c < 490; ++c)
            for (bool tock : {false, true})
                placed.push_back(
                    {c, tock, (tock ? tockAt : tickAt) + cycle * static_cast<double>(c) + off(random)});
    }
    // What least squares promises: the standard errors of the slope and of an intercept.
    double cycleError() const
    {
        double mean = 0, squares = 0;
        for (const PlacedBeat &b : placed)
            mean += static_cast<double>(b.cycle) / static_cast<double>(placed.size());
        for (const PlacedBeat &b : placed)
            squares += (static_cast<double>(b.cycle) - mean) * (static_cast<double>(b.cycle) - mean);
        return jitter / std::sqrt(squares);
    }
    double interceptError() const
    {
        const double mean = 444.5; // the cycles' mean
        return std::sqrt(jitter * jitter / (static_cast<double>(placed.size()) / 2) +
                         mean * mean * cycleError() * cycleError());
    }
};

} // namespace

TEST(BeatLines, CycleAndBothLinesWithinWhatLeastSquaresPromises)
{
    for (double jitter : {2.0, 6.0, 15.0})
        for (uint32_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(jitter);
            SCOPED_TRACE(seed);
            const Beats beats(jitter, seed);
            const BeatLines lines = BeatLines::fit(beats.placed);
            ASSERT_TRUE(lines.valid);
            EXPECT_NEAR(lines.cycle, beats.cycle, 4 * beats.cycleError());
            EXPECT_NEAR(lines.tickAt, beats.tickAt, 4 * beats.interceptError());
            EXPECT_NEAR(lines.tockAt, beats.tockAt, 4 * beats.interceptError());
            EXPECT_NEAR(lines.tockAt - lines.tickAt, beats.tockAt - beats.tickAt,
                        4 * jitter / std::sqrt(45.0));
            EXPECT_NEAR(lines.scatter, jitter, 0.3 * jitter);
            EXPECT_EQ(lines.used, static_cast<int>(beats.placed.size()));
        }
}

// Room clicks taken for beats, all late and all near the end where they pull the slope most.
TEST(BeatLines, ClicksTakenForBeatsAreSetAsideAndMoveNothing)
{
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE(seed);
        const Beats beats(5, seed);
        std::vector<PlacedBeat> clicked = beats.placed, without;
        for (size_t i = 0; i < clicked.size(); ++i) {
            const bool click = i + 30 > clicked.size() && i % 4 == seed % 4;
            if (click)
                clicked[i].time += (1.5 + 0.7 * static_cast<double>(i % 3)) * 1e-3 * kRate;
            else
                without.push_back(clicked[i]);
        }
        const BeatLines lines = BeatLines::fit(clicked), truth = BeatLines::fit(without);
        ASSERT_TRUE(lines.valid);
        EXPECT_EQ(lines.used, static_cast<int>(without.size()));
        EXPECT_NEAR(lines.cycle, truth.cycle, 1e-9 * truth.cycle);
        EXPECT_NEAR(lines.tickAt, truth.tickAt, 1e-6);
        EXPECT_NEAR(lines.tockAt, truth.tockAt, 1e-6);
    }
}

TEST(BeatLines, TooFewBeatsGiveNoLines)
{
    const Beats beats(5, 1);
    EXPECT_FALSE(BeatLines::fit({}).valid);
    std::vector<PlacedBeat> threeTicks; // and plenty of tocks
    for (const PlacedBeat &b : beats.placed)
        if (b.tock || b.cycle < 403)
            threeTicks.push_back(b);
    EXPECT_FALSE(BeatLines::fit(threeTicks).valid);
    std::vector<PlacedBeat> oneCycle(8, beats.placed[0]); // four of each, all in one cycle
    for (size_t i = 0; i < oneCycle.size(); ++i)
        oneCycle[i].tock = i % 2 == 1;
    EXPECT_FALSE(BeatLines::fit(oneCycle).valid);
}

namespace {

// The template's window: 5 ms before a tick's first burst to 25 ms after it.
constexpr int kWindow = 331;
constexpr int64_t kBefore = 220;

// Ticks struck every 2 648 samples (faster than a watch, so that many fit in the envelope's
// memory; a whole number of envelope samples, so that every beat lies alike against them),
// ringing in the third band, over hiss of `hiss`. Every beat comes `later` samples after it is
// due, the last one `lastLater`.
struct Ticks {
    static constexpr int64_t kFirst = 8820, kSpacing = 2648;
    BandBank bank;

    Ticks(int count, double hiss, uint32_t seed, const std::vector<Burst> &pattern = kTick, double later = 0,
          double lastLater = 0)
    {
        Sound sound(0.5 + static_cast<double>(count * kSpacing) / kRate, hiss, seed);
        for (int k = 0; k < count; ++k)
            sound.beat(static_cast<double>(kFirst + k * kSpacing) + later + (k == count - 1 ? lastLater : 0),
                       pattern, 7000, 1000, 0.25);
        feed(bank, sound.samples());
    }
    const EnvelopeRing &envelope() const { return bank.envelope(2); }
    // Where the window of beat k starts, were it on time.
    static int64_t windowOf(int k) { return (kFirst + k * kSpacing - kBefore) / BandBank::kDecimation; }
    std::vector<float> window(int64_t from) const
    {
        std::vector<float> w(kWindow);
        envelope().copy(from, kWindow, w.data());
        return w;
    }
    BeatTemplate learned(int beats) const
    {
        BeatTemplate shape;
        shape.start(window(windowOf(0)));
        for (int k = 1; k < beats; ++k)
            shape.learn(envelope(), windowOf(k));
        return shape;
    }
};

double pearson(const std::vector<float> &a, const std::vector<float> &b)
{
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); ++i)
        ma += a[i], mb += b[i];
    ma /= static_cast<double>(a.size()), mb /= static_cast<double>(b.size());
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

} // namespace

// However noisy the beats it learned, and however many, the fit is the correlation of the
// template with the window: what the thresholds for a beat that fits are set against.
TEST(BeatTemplate, FitIsTheCorrelationOfTemplateAndWindow)
{
    for (double hiss : {10.0, 60.0, 150.0, 300.0})
        for (int learned : {1, 5, 2 * BeatTemplate::kMostBeats}) {
            SCOPED_TRACE(hiss);
            SCOPED_TRACE(learned);
            const Ticks ticks(learned + 1, hiss,
                              static_cast<uint32_t>(hiss) + static_cast<uint32_t>(learned));
            const BeatTemplate shape = ticks.learned(learned);
            const int64_t fresh = Ticks::windowOf(learned);
            const double truth = pearson(shape.shape(), ticks.window(fresh));
            EXPECT_NEAR(shape.match(ticks.envelope(), fresh, 0).fit, truth, 1e-4);
            double best = -1;
            for (int lag = -8; lag <= 8; ++lag)
                best = std::max(best, pearson(shape.shape(), ticks.window(fresh + lag)));
            EXPECT_NEAR(shape.match(ticks.envelope(), fresh, 8).fit, best, 1e-4);
        }
}

// A beat struck between envelope samples is placed between them; a tock's template, of the
// same sub-events at other levels, is found where it lies against the tick's.
TEST(BeatTemplate, MatchingFindsShiftsBetweenSamples)
{
    const std::vector<Burst> tock = {{0, 0.42},   {4.3, 0.40},  {5.1, 1.00},  {8.5, 0.59},
                                     {9.4, 0.61}, {10.2, 0.53}, {12.0, 0.47}, {13.2, 0.81}};
    for (uint32_t seed = 1; seed <= 3; ++seed)
        for (double later : {0.0, 1.0, 2.0, 2.6, 3.0, 9.3, -5.5}) { // input samples
            SCOPED_TRACE(seed);
            SCOPED_TRACE(later);
            const Ticks ticks(41, 40, seed, kTick, 0, later);
            const BeatTemplate tick = ticks.learned(40);
            const BeatTemplate::Match m = tick.match(ticks.envelope(), Ticks::windowOf(40), 5);
            EXPECT_NEAR(m.offset, later / BandBank::kDecimation, 0.1);

            // Sub-events of other levels pull the whole patterns' match by up to 0.15 samples
            // (14 us), a seventh of what a beat error is read to.
            const Ticks tocks(40, 40, seed + 10, tock, 4 * later + 3);
            EXPECT_NEAR(tick.shiftTo(tocks.learned(40)), (4 * later + 3) / BandBank::kDecimation, 0.2);
        }
}

// Levels of every kind (signs, both zeros, ties, denormals, infinities, octaves apart) in no
// order: the k-th smallest is the k-th of the sorted values, and the values stay as they were.
TEST(KthSmallest, IsTheSortedValueForAnyValuesAndRank)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> uniform(-1, 1);
    std::uniform_int_distribution<int> octave(-140, 120);
    const std::vector<float> odd = {0.0f, -0.0f, 1e-42f, -1e-42f, INFINITY, -INFINITY, 3.0f, 3.0f, 3.0f};
    for (size_t size : {size_t{1}, size_t{2}, size_t{9}, size_t{255}, size_t{11025}}) {
        std::vector<float> values(size);
        for (size_t i = 0; i < size; ++i)
            values[i] = i % 3 == 0 ? odd[i % odd.size()] : std::ldexp(uniform(random), octave(random));
        const std::vector<float> given = values;
        std::vector<float> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        for (size_t k : {size_t{0}, size / 2, size * 99 / 100, size - 1}) {
            EXPECT_EQ(kthSmallest(values, k), sorted[k]) << size << " " << k;
            EXPECT_EQ(std::memcmp(values.data(), given.data(), size * sizeof(float)), 0);
        }
    }
}
