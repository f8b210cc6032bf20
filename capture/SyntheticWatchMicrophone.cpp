// The synthetic watch as an ordinary microphone hears it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "capture/SyntheticWatch.h"

namespace tamsel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

// A number in [0, 1) from a key and the seed (splitmix64).
double hash01(uint64_t key, uint32_t seed, uint64_t stream)
{
    uint64_t x = key * 0x9E3779B97F4A7C15ull + (seed + 1ull) * 0xD1B54A32D192ED03ull + stream;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / 9007199254740992.0;
}

// One sub-event of a tick: a struck resonance with two modes, rising over a few samples and
// decaying within a millisecond or so.
struct Ring {
    double hz1, hz2;
    double decay; // samples
};

constexpr Ring kUnlocking{5200, 7100, 18};
constexpr Ring kImpulse{3600, 6100, 24};
constexpr Ring kDrop{2800, 4700, 30};
constexpr double kUnlockingLevel = 0.35;
constexpr double kImpulseLevel = 0.6;
constexpr double kImpulseAt = 0.45; // of the lift time, after the unlocking
constexpr int kAttack = 4;

void addRing(std::vector<double> &v, int64_t from, int64_t start, const Ring &ring, double level,
             double phase, double hzScale)
{
    const int64_t length = static_cast<int64_t>(8 * ring.decay);
    const int64_t first = std::max<int64_t>(start, from);
    const int64_t last = std::min<int64_t>(start + length, from + static_cast<int64_t>(v.size()));
    const double w1 = kTwoPi * ring.hz1 * hzScale / SyntheticWatch::kRate;
    const double w2 = kTwoPi * ring.hz2 * hzScale / SyntheticWatch::kRate;
    for (int64_t at = first; at < last; ++at) {
        const double t = static_cast<double>(at - start);
        const double envelope = std::min(1.0, (t + 1) / kAttack) * std::exp(-t / ring.decay);
        v[static_cast<size_t>(at - from)] +=
            level * envelope * (0.6 * std::cos(w1 * t + phase) + 0.4 * std::cos(w2 * t + phase + 1.3));
    }
}

} // namespace

void SyntheticWatch::generateHeard(int64_t from, int16_t *out, size_t count) const
{
    const MicrophoneParams &m = p_.microphone;
    std::vector<double> v(count);
    // Mains hum with its harmonics, peaking near humLevel; Gaussian hiss (a sum of four
    // uniform numbers has nearly that shape).
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(from + static_cast<int64_t>(i)) / kRate;
        const double w = kTwoPi * m.humHz * t;
        double sample = m.humLevel * (0.55 * std::sin(w) + 0.25 * std::sin(2 * w + 1) +
                                      0.12 * std::sin(3 * w + 2) + 0.08 * std::sin(5 * w + 0.5));
        double gauss = -2;
        for (uint64_t k = 0; k < 4; ++k)
            gauss += hash01(static_cast<uint64_t>(from) + i, p_.seed, k << 60);
        sample += m.hissRms * gauss * std::sqrt(3.0);
        v[i] = sample;
    }
    // The beats whose sound reaches into the range.
    const int64_t end = from + static_cast<int64_t>(count);
    const int64_t ringLength = static_cast<int64_t>(8 * kDrop.decay);
    int64_t beat =
        std::max<int64_t>(0, static_cast<int64_t>(std::floor((from - p_.firstPeak) / period_)) - 2);
    for (; peakOf(beat) - lift_ < end; ++beat) {
        const int64_t drop = peakOf(beat);
        if (drop + ringLength < from)
            continue;
        const double t = static_cast<double>(drop) / kRate;
        const double drift = 1 + m.drift * std::sin(kTwoPi * t / 47 + 0.7);
        const double jitter = 1 + 0.1 * (2 * hash01(static_cast<uint64_t>(beat), p_.seed, 1ull << 56) - 1);
        const double level = p_.peakLevel * ((beat & 1) ? m.tockLevel : 1.0) * drift * jitter;
        const double phase = kTwoPi * hash01(static_cast<uint64_t>(beat), p_.seed, 2ull << 56);
        // Ticks and tocks ring a little differently.
        const double hzScale = (beat & 1) ? 1.06 : 1.0;
        addRing(v, from, drop - lift_, kUnlocking, kUnlockingLevel * level, phase, hzScale);
        addRing(v, from, drop - lift_ + std::lround(kImpulseAt * lift_), kImpulse, kImpulseLevel * level,
                phase + 1, hzScale);
        addRing(v, from, drop, kDrop, level, phase + 2, hzScale);
    }
    // Room clicks, one somewhere in each slot, about as loud as the ticks.
    if (m.clicksPerMinute > 0) {
        const double slot = 60.0 * kRate / m.clicksPerMinute;
        for (auto n = static_cast<int64_t>(std::floor((from - 400) / slot)); n * slot < end; ++n) {
            const auto key = static_cast<uint64_t>(n);
            const int64_t at =
                static_cast<int64_t>(std::floor((n + hash01(key, p_.seed, 3ull << 56)) * slot));
            const Ring click{1800 + 3000 * hash01(key, p_.seed, 4ull << 56), 6500, 12};
            addRing(v, from, at, click, p_.peakLevel * (0.7 + 0.6 * hash01(key, p_.seed, 5ull << 56)), 0, 1);
        }
    }
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<int16_t>(std::clamp<long>(std::lround(v[i]), -32768, 32767));
}

} // namespace tamsel
