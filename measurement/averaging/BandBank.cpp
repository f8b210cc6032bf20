#include "measurement/averaging/BandBank.h"

#include <algorithm>
#include <cmath>

#include "measurement/Median.h"

namespace tamsel {

namespace {

constexpr double kSampleRate = 44100;
// Smoothing of the squared signal: two poles of 4 samples, about 1.7 kHz, enough to keep
// each burst's shape while taking out the carrier before the decimation.
constexpr double kSmoothing = 0.25;
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
    for (int b = 0; b < kBands; ++b) {
        Channel &channel = channels_[static_cast<size_t>(b)];
        channel = Channel();
        for (int k = 0; k < 4; ++k) {
            const auto &edges = kBandEdges[static_cast<size_t>(b)];
            const double q = Biquad::kFourthOrderQ[k % 2];
            channel.sections[static_cast<size_t>(k)] = k < 2 ? Biquad::highPass(edges.lowHz, q, kSampleRate)
                                                             : Biquad::lowPass(edges.highHz, q, kSampleRate);
        }
    }
    std::array<double, kBands> delay{};
    for (int b = 0; b < kBands; ++b) {
        const auto &edges = kBandEdges[static_cast<size_t>(b)];
        const double centre = std::sqrt(edges.lowHz * edges.highHz);
        for (const Biquad &section : channels_[static_cast<size_t>(b)].sections)
            delay[static_cast<size_t>(b)] += section.delayAt(centre, kSampleRate);
    }
    const double most = *std::max_element(delay.begin(), delay.end());
    for (int b = 0; b < kBands; ++b)
        lagBehind_[static_cast<size_t>(b)] = (most - delay[static_cast<size_t>(b)]) / kDecimation;
    for (EnvelopeRing &ring : rings_)
        ring.clear();
    levels_.fill(0);
    levelsAt_ = -kLevelEvery;
    phase_ = 0;
}

void BandBank::add(const int16_t *samples, size_t count)
{
    const int64_t firstNew = rings_[0].end();
    for (int b = 0; b < kBands; ++b) {
        Channel &c = channels_[static_cast<size_t>(b)];
        EnvelopeRing &ring = rings_[static_cast<size_t>(b)];
        int phase = phase_;
        double e1 = c.energy1, e2 = c.energy2;
        for (size_t i = 0; i < count; ++i) {
            double x = samples[i];
            for (Biquad &s : c.sections)
                x = s.step(x);
            e1 += kSmoothing * (x * x - e1);
            e2 += kSmoothing * (e1 - e2);
            if (++phase == kDecimation) {
                phase = 0;
                ring.push(static_cast<float>(std::sqrt(e2)));
            }
        }
        // Denormals would slow the filters to a crawl in long silences.
        for (Biquad &s : c.sections) {
            if (std::fabs(s.z1) < 1e-20)
                s.z1 = 0;
            if (std::fabs(s.z2) < 1e-20)
                s.z2 = 0;
        }
        c.energy1 = e1 < 1e-20 ? 0 : e1;
        c.energy2 = e2 < 1e-20 ? 0 : e2;
    }
    phase_ = static_cast<int>((phase_ + count) % kDecimation);
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
        const auto loud = scratch_.begin() + static_cast<std::ptrdiff_t>(scratch_.size() * 99 / 100);
        std::nth_element(scratch_.begin(), loud, scratch_.end());
        const double quietest = kSilentShare * *loud;
        levels_[static_cast<size_t>(b)] =
            std::max<double>(medianInPlace(std::span<float>(scratch_)), quietest);
    }
    EnvelopeRing &combined = rings_[kCombined];
    for (int64_t i = firstNew; i < end; ++i) {
        double sum = 0;
        for (int b = 0; b < kBands; ++b) {
            const EnvelopeRing &ring = rings_[static_cast<size_t>(b)];
            const double at = static_cast<double>(i) - lagBehind_[static_cast<size_t>(b)];
            const auto before = static_cast<int64_t>(std::floor(at));
            if (levels_[static_cast<size_t>(b)] < kLeastLevel || before < ring.begin())
                continue;
            const double part = at - static_cast<double>(before);
            const double value =
                part > 0 ? (1 - part) * ring[before] + part * ring[before + 1] : ring[before];
            sum += value / levels_[static_cast<size_t>(b)];
        }
        combined.push(static_cast<float>(sum));
    }
}

double BandBank::inputTime(double envelopeIndex)
{
    return envelopeIndex * kDecimation + (kDecimation - 1) - kDelay;
}

} // namespace tamsel
