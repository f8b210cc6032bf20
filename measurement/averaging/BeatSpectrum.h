#pragma once
// The averaged power spectrum of the beats the meter accepts, from the raw sound: where the watch
// rings, set beside the bands the measurement listens in. A window of raw samples from just
// before a beat's unlocking over its lift, Hann-weighted and transformed; at most a few beats a
// second are taken, so that it costs next to nothing beside the bands' filters.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamsel {

class BeatSpectrum {
public:
    static constexpr int kWindow = 2048;              // input samples: 46 ms, a watch's lift and its ring
    static constexpr int kBefore = 220;               // of them before the unlocking: 5 ms
    static constexpr int kMostBeats = 64;             // beyond this, older beats fade out
    static constexpr int64_t kLeastApart = 44100 / 4; // input samples between beats taken
    static constexpr double kHzPerBin = 44100.0 / kWindow;

    BeatSpectrum();
    ~BeatSpectrum();
    BeatSpectrum(const BeatSpectrum &) = delete;
    BeatSpectrum &operator=(const BeatSpectrum &) = delete;

    // A new measurement: the sound counted from 0 again.
    void reset();
    // Another watch, or none: the beats averaged so far are forgotten.
    void forget();
    // The raw sound, as the meter hears it.
    void add(const int16_t *samples, size_t count);
    // A beat accepted, its unlocking and its loudest sound at these input samples (counted as
    // add() counts). The window starts just before the unlocking, or later where a long lift
    // (a clock's) would leave the loudest sound out of it.
    void beatAt(double unlocking, double loudest);

    // Power per bin (kHzPerBin apart, from 0 Hz), averaged over the beats taken; empty before the first.
    const std::vector<float> &power() const { return power_; }
    int beats() const { return beats_; }

private:
    void take(int64_t from);

    struct Fft;
    Fft *fft_;
    std::vector<int16_t> ring_; // the latest raw samples, by absolute number
    int64_t heard_ = 0;
    std::vector<int64_t> waiting_; // window starts whose samples have not all come
    int64_t lastTaken_ = -kLeastApart;
    std::vector<float> window_, weights_;
    std::vector<float> power_;
    int beats_ = 0;
};

} // namespace tamsel
