#include "measurement/averaging/BandBank.h"

#include <cmath>

namespace tamsel {

namespace {

constexpr double kSampleRate = 44100;
// Smoothing of the squared signal: two poles of 4 samples, about 1.7 kHz, enough to keep
// each burst's shape while taking out the carrier before the decimation.
constexpr double kSmoothing = 0.25;
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
        rings_[static_cast<size_t>(b)].clear();
    }
    phase_ = 0;
}

void BandBank::add(const int16_t *samples, size_t count)
{
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
}

double BandBank::inputTime(double envelopeIndex)
{
    return envelopeIndex * kDecimation + (kDecimation - 1) - kDelay;
}

} // namespace tamsel
