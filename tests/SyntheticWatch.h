#pragma once
// A synthetic watch for tests: int16 samples of tick pulses at a given beat rate, rate error,
// beat error and amplitude, with noise. Deterministic: any range of the recording can be
// generated on its own and is the same every time.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

namespace tamsel::test {

struct WatchParams {
    double beatsPerHour = 18000;
    double rateSecondsPerDay = 0;  // positive: the watch gains
    double beatErrorMs = 0;        // every second interval is longer by this, the others shorter
    double amplitudeDegrees = 280; // 0: a bare pulse without the unlocking sound before it
    int liftAngle = 52;
    double peakLevel = 20000; // height of the main impulse
    double noise = 200;       // uniform noise in [-noise, noise]
    double firstPeak = 1000;  // sample of the first beat's peak
    double cardRate = 44100;  // samples per true second at the sound card
    uint32_t seed = 1;
};

class SyntheticWatch {
public:
    static constexpr int kTail = 400; // samples of the impulse after its peak

    explicit SyntheticWatch(const WatchParams &p) : p_(p)
    {
        const double bps = p.beatsPerHour / 3600;
        nominalPeriod_ = p.cardRate / bps;
        period_ = nominalPeriod_ * (1 - p.rateSecondsPerDay / 86400);
        offset_ = p.beatErrorMs * p.cardRate / 1000;
        // Invert amplitude = lift angle x (1 + (I + d) / (4 d)) for the lift time d at I = period.
        if (p.amplitudeDegrees > 0) {
            const double a = p.amplitudeDegrees, l = p.liftAngle;
            lift_ = static_cast<int>(std::lround(nominalPeriod_ / (4 * (a - l) / l - 1)));
        }
    }

    // The watch stays silent at beat k (a missed beat).
    void Miss(int64_t k) { missed_.insert(k); }

    int LiftSamples() const { return lift_; }
    double Period() const { return period_; }

    // The sample of beat k's peak.
    int64_t PeakOf(int64_t k) const
    {
        return std::llround(p_.firstPeak + k * period_ + ((k & 1) ? offset_ : 0.0));
    }

    // Samples [from, from + count) of the recording.
    std::vector<int16_t> Samples(int64_t from, int64_t count) const
    {
        std::vector<double> v(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i)
            v[i] = Noise(from + i);
        const int64_t firstBeat =
            std::max<int64_t>(0, static_cast<int64_t>((from - p_.firstPeak - kTail - offset_) / period_) - 1);
        for (int64_t k = firstBeat;; ++k) {
            const int64_t peak = PeakOf(k);
            if (peak - lift_ - 2 >= from + count)
                break;
            if (!missed_.count(k))
                AddBeat(v, from, peak);
        }
        std::vector<int16_t> out(v.size());
        for (size_t i = 0; i < v.size(); ++i)
            out[i] = static_cast<int16_t>(std::clamp(std::lround(v[i]), -32768L, 32767L));
        return out;
    }

private:
    double Noise(int64_t i) const
    {
        if (p_.noise <= 0)
            return 0;
        uint64_t x = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull + p_.seed;
        x ^= x >> 31;
        x *= 0xBF58476D1CE4E5B9ull;
        x ^= x >> 29;
        return (static_cast<double>(x % 20001) / 10000 - 1) * p_.noise;
    }

    void Add(std::vector<double> &v, int64_t from, int64_t at, double value) const
    {
        if (at >= from && at < from + static_cast<int64_t>(v.size()))
            v[at - from] += value;
    }

    // The unlocking sound at peak - lift, then the impulse at the peak, the largest sample of
    // the beat. Each decays from its first sample.
    void AddBeat(std::vector<double> &v, int64_t from, int64_t peak) const
    {
        const double pi = 3.14159265358979323846;
        if (lift_ > 0) {
            for (int t = 0; t < 60 && t < lift_; ++t)
                Add(v, from, peak - lift_ + t,
                    0.3 * p_.peakLevel * std::exp(-t / 12.0) * std::cos(2 * pi * 0.11 * t));
        }
        for (int t = 0; t <= kTail; ++t)
            Add(v, from, peak + t, p_.peakLevel * std::exp(-t / 40.0) * std::cos(2 * pi * 0.07 * t));
    }

    WatchParams p_;
    double nominalPeriod_ = 0;
    double period_ = 0;
    double offset_ = 0;
    int lift_ = 0;
    std::set<int64_t> missed_;
};

} // namespace tamsel::test
