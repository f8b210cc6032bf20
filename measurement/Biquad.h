#pragma once
// A second-order filter section, transposed direct form II, designed after the audio filter
// cookbook's formulas: the one building block of the input filter and the averaging bands.
#include <cmath>

namespace tamsel {

struct Biquad {
    // The two sections of a fourth-order Butterworth edge, and the single one of a second-order.
    static constexpr double kFourthOrderQ[2] = {0.54119610, 1.30656296};
    static constexpr double kSecondOrderQ = 0.70710678;

    static Biquad highPass(double hz, double q, double sampleRate) { return design(true, hz, q, sampleRate); }
    static Biquad lowPass(double hz, double q, double sampleRate) { return design(false, hz, q, sampleRate); }

    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;

    double step(double x)
    {
        const double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    // Group delay in samples at `hz`, from the phase's slope there.
    double delayAt(double hz, double sampleRate) const
    {
        constexpr double kPi = 3.14159265358979323846;
        const auto phase = [this](double w) {
            const double num = std::atan2(-b1 * std::sin(w) - b2 * std::sin(2 * w),
                                          b0 + b1 * std::cos(w) + b2 * std::cos(2 * w));
            const double den = std::atan2(-a1 * std::sin(w) - a2 * std::sin(2 * w),
                                          1 + a1 * std::cos(w) + a2 * std::cos(2 * w));
            return num - den;
        };
        const double w = 2 * kPi * hz / sampleRate, dw = 1e-4;
        return -std::remainder(phase(w + dw) - phase(w - dw), 2 * kPi) / (2 * dw);
    }
    // As if the input had always been x.
    void prime(double x)
    {
        const double y = x * (b0 + b1 + b2) / (1 + a1 + a2);
        z2 = b2 * x - a2 * y;
        z1 = b1 * x - a1 * y + z2;
    }

private:
    static Biquad design(bool highPass, double hz, double q, double sampleRate)
    {
        constexpr double kPi = 3.14159265358979323846;
        const double w = 2 * kPi * hz / sampleRate;
        const double alpha = std::sin(w) / (2 * q);
        const double c = std::cos(w);
        const double a0 = 1 + alpha;
        const double edge = highPass ? (1 + c) / 2 : (1 - c) / 2;
        Biquad s;
        s.b0 = edge / a0;
        s.b1 = (highPass ? -2 * edge : 2 * edge) / a0;
        s.b2 = edge / a0;
        s.a1 = -2 * c / a0;
        s.a2 = (1 - alpha) / a0;
        return s;
    }
};

} // namespace tamsel
