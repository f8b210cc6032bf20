#include "measurement/averaging/BandBank.h"

#include <cmath>

namespace tamsel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSampleRate = 44100;
// Smoothing of the squared signal: two poles of 4 samples, about 1.7 kHz, enough to keep
// each burst's shape while taking out the carrier before the decimation.
constexpr double kSmoothing = 0.25;
// The two sections of a 4th-order Butterworth edge.
constexpr double kButterworthQ[2] = {0.54119610, 1.30656296};
// Filters and smoothing delay the envelope by about this many input samples.
constexpr double kDelay = 6;

void design(double &b0, double &b1, double &b2, double &a1, double &a2, bool highPass, double hz, double q)
{
    const double w = 2 * kPi * hz / kSampleRate;
    const double alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w);
    const double a0 = 1 + alpha;
    const double edge = highPass ? (1 + c) / 2 : (1 - c) / 2;
    b0 = edge / a0;
    b1 = (highPass ? -2 * edge : 2 * edge) / a0;
    b2 = edge / a0;
    a1 = -2 * c / a0;
    a2 = (1 - alpha) / a0;
}

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
            Biquad &s = channel.sections[static_cast<size_t>(k)];
            const bool highPass = k < 2;
            design(s.b0, s.b1, s.b2, s.a1, s.a2, highPass,
                   highPass ? kBandEdges[static_cast<size_t>(b)].lowHz
                            : kBandEdges[static_cast<size_t>(b)].highHz,
                   kButterworthQ[k % 2]);
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
