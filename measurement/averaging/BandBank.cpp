#include "measurement/averaging/BandBank.h"
#include "measurement/WideLoops.h"
#include "measurement/averaging/KthSmallest.h"

#include <algorithm>
#include <cmath>

namespace tamsel {

namespace {

constexpr double kSampleRate = 44100;
// A band's typical level is the median of its last second of envelope; below the least one
// (the filters' own decay after digital silence or a constant level) a band adds nothing.
constexpr int64_t kLevelSpan = 11025;
constexpr int64_t kLevelEvery = 11025; // once a second: levels change slowly
constexpr double kLeastLevel = 0.01;
constexpr double kSilentShare = 0.01; // of the loudest 1 %: the least typical level
// Filters and smoothing delay the envelope by about this many input samples.
constexpr double kDelay = 6;

} // namespace

BandBank::BandBank()
{
    reset();
}

void BandBank::reset()
{
    std::array<double, kBands> delay{};
    for (int b = 0; b < kBands; ++b) {
        const auto &edges = kBandEdges[static_cast<size_t>(b)];
        const double centre = std::sqrt(edges.lowHz * edges.highHz);
        for (int k = 0; k < kStages; ++k) {
            const double q = Biquad::kFourthOrderQ[k % 2];
            const Biquad section = k < 2 ? Biquad::highPass(edges.lowHz, q, kSampleRate)
                                         : Biquad::lowPass(edges.highHz, q, kSampleRate);
            Stage &stage = stages_[static_cast<size_t>(k)];
            const auto band = static_cast<size_t>(b);
            stage.b0[band] = section.b0;
            stage.b1[band] = section.b1;
            stage.b2[band] = section.b2;
            stage.a1[band] = section.a1;
            stage.a2[band] = section.a2;
            stage.z1[band] = stage.z2[band] = 0;
            delay[band] += section.delayAt(centre, kSampleRate);
        }
    }
    energy1_.fill(0);
    energy2_.fill(0);
    const double most = *std::max_element(delay.begin(), delay.end());
    for (int b = 0; b < kBands; ++b)
        lagBehind_[static_cast<size_t>(b)] = (most - delay[static_cast<size_t>(b)]) / kDecimation;
    for (EnvelopeRing &ring : rings_)
        ring.clear();
    levels_.fill(0);
    levelsAt_ = -kLevelEvery;
    phase_ = 0;
}

TAMSEL_WIDE_LOOPS void BandBank::add(const int16_t *samples, size_t count)
{
    const int64_t firstNew = rings_[0].end();
    // Working copies, so that the states stay in registers through the buffer.
    std::array<Stage, kStages> stages = stages_;
    std::array<double, kBands> e1 = energy1_, e2 = energy2_;
    int phase = phase_;
    for (size_t i = 0; i < count; ++i) {
        std::array<double, kBands> x;
        x.fill(samples[i]);
        for (Stage &s : stages)
            for (size_t b = 0; b < kBands; ++b) { // as Biquad::step
                const double y = s.b0[b] * x[b] + s.z1[b];
                s.z1[b] = s.b1[b] * x[b] - s.a1[b] * y + s.z2[b];
                s.z2[b] = s.b2[b] * x[b] - s.a2[b] * y;
                x[b] = y;
            }
        for (size_t b = 0; b < kBands; ++b) {
            e1[b] += kSmoothing * (x[b] * x[b] - e1[b]);
            e2[b] += kSmoothing * (e1[b] - e2[b]);
        }
        if (++phase == kDecimation) {
            phase = 0;
            for (size_t b = 0; b < kBands; ++b)
                rings_[b].push(static_cast<float>(std::sqrt(e2[b])));
        }
    }
    // Denormals would slow the filters to a crawl in long silences.
    const auto flush = [](double &v) {
        if (std::fabs(v) < 1e-20)
            v = 0;
    };
    for (Stage &s : stages)
        for (size_t b = 0; b < kBands; ++b) {
            flush(s.z1[b]);
            flush(s.z2[b]);
        }
    for (size_t b = 0; b < kBands; ++b) {
        energy1_[b] = e1[b] < 1e-20 ? 0 : e1[b];
        energy2_[b] = e2[b] < 1e-20 ? 0 : e2[b];
    }
    stages_ = stages;
    phase_ = phase;
    combine(firstNew);
}

void BandBank::combine(int64_t firstNew)
{
    const int64_t end = rings_[0].end();
    if (end == firstNew)
        return;
    const bool retake = end - levelsAt_ >= kLevelEvery;
    if (retake)
        levelsAt_ = end;
    for (int b = 0; b < kBands && retake; ++b) {
        const EnvelopeRing &ring = rings_[static_cast<size_t>(b)];
        const int64_t from = std::max(ring.begin(), end - kLevelSpan);
        scratch_.resize(static_cast<size_t>(end - from));
        ring.copy(from, end - from, scratch_.data());
        // Between the ticks of a signal generator or a noise gate there is exact silence, and
        // the median is nothing: then the loud part's level stands for the band.
        const std::span<const float> second(scratch_);
        const double quietest = kSilentShare * kthSmallest(second, second.size() * 99 / 100);
        levels_[static_cast<size_t>(b)] = std::max<double>(kthSmallest(second, second.size() / 2), quietest);
    }
    EnvelopeRing &combined = rings_[kCombined];
    for (int64_t i = firstNew; i < end; ++i) {
        double sum = 0;
        for (size_t b = 0; b < kBands; ++b) {
            const EnvelopeRing &ring = rings_[b];
            const double at = static_cast<double>(i) - lagBehind_[b];
            if (levels_[b] < kLeastLevel || at < 0)
                continue;
            const auto before = static_cast<int64_t>(at); // the floor, at >= 0
            if (before < ring.begin())
                continue;
            const double part = at - static_cast<double>(before);
            const double value =
                part > 0 ? (1 - part) * ring[before] + part * ring[before + 1] : ring[before];
            sum += value / levels_[b];
        }
        combined.push(static_cast<float>(sum));
    }
}

double BandBank::inputTime(double envelopeIndex)
{
    return envelopeIndex * kDecimation + (kDecimation - 1) - kDelay;
}

} // namespace tamsel
