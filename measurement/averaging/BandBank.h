#pragma once
// The microphone's sound split into a few bands, each turned into an envelope at a quarter of
// the sample rate. Which band a tick stands highest in depends on the microphone, so every
// band is kept and the measurement chooses.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "measurement/Biquad.h"
#include "measurement/averaging/EnvelopeRing.h"

namespace tamsel {

class BandBank {
public:
    static constexpr int kBands = 4;
    // One more envelope: the bands together, each against its own typical level, so that a
    // tick and a tock that stand out in different bands both stand out in it.
    static constexpr int kCombined = kBands;
    static constexpr int kEnvelopes = kBands + 1;
    static constexpr int kDecimation = 4;                // envelope samples are 4 input samples apart
    static constexpr double kEnvelopeRate = 44100.0 / 4; // per second
    // Smoothing of the squared signal: two poles of 4 samples, about 1.7 kHz, enough to keep
    // each burst's shape while taking out the carrier before the decimation.
    static constexpr double kSmoothing = 0.25;

    struct Band {
        double lowHz, highHz;
    };
    static constexpr std::array<Band, kBands> kBandEdges{
        {{1500, 4000}, {3000, 8000}, {5000, 12000}, {8000, 16000}}};

    BandBank();
    void reset();
    void add(const int16_t *samples, size_t count);

    const EnvelopeRing &envelope(int band) const { return rings_[static_cast<size_t>(band)]; }
    // Input samples that envelope sample i stands for: i * kDecimation + delay (the filters' lag).
    static double inputTime(double envelopeIndex);

private:
    void combine(int64_t firstNew);

    // One filter section of every band side by side: the bands are independent, so a sample
    // runs through all four at once rather than through one band's chain after another.
    struct Stage {
        using PerBand = std::array<double, kBands>;
        PerBand b0{}, b1{}, b2{}, a1{}, a2{};
        PerBand z1{}, z2{};
    };
    static constexpr int kStages = 4; // 4th-order high-pass, then 4th-order low-pass

    std::array<Stage, kStages> stages_;
    std::array<double, kBands> energy1_{}, energy2_{}; // the squared output, smoothed twice
    std::array<EnvelopeRing, kEnvelopes> rings_;
    std::array<double, kBands> levels_{};
    // Envelope samples each band is taken from behind the newest, so that all stand for the
    // same moment: a lower band's filters delay its sound more.
    std::array<double, kBands> lagBehind_{};
    int64_t levelsAt_ = 0; // envelope samples when the levels were last taken
    std::vector<float> scratch_;
    int phase_ = 0;
};

} // namespace tamsel
