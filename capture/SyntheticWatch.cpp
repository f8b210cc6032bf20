#include "capture/SyntheticWatch.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tamsel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStartLevel = 0.2; // the envelope at the pulse start, of the peak
constexpr double kBodyLevel = 0.6;  // the envelope around the peak; the peak alone stands at 1

double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

// Out-of-range parameters are brought into range: 1 to 20 beats per second, a rate within
// one hour a day, a beat error under a tenth of a beat, a lift time between 2 samples and
// 0.3 of a beat (so the pulse start lies inside the detector's search window), and noise
// low enough (3 % of the peak) to leave the pulse start and the peak where they are.
SyntheticWatch::SyntheticWatch(const SyntheticWatchParams &params) : p_(params)
{
    const SyntheticWatchParams defaults;
    p_.beatsPerHour = std::clamp(finiteOr(p_.beatsPerHour, defaults.beatsPerHour), 3600.0, 72000.0);
    p_.rateSecondsPerDay = std::clamp(finiteOr(p_.rateSecondsPerDay, 0), -3600.0, 3600.0);
    p_.liftAngle = std::clamp(finiteOr(p_.liftAngle, defaults.liftAngle), 1.0, 180.0);
    // A microphone too close may hear the watch far above full scale: it is clipped.
    p_.peakLevel =
        std::clamp(finiteOr(p_.peakLevel, defaults.peakLevel), 100.0, p_.microphone.on ? 320000.0 : 32000.0);
    p_.noiseLevel = std::clamp(finiteOr(p_.noiseLevel, 0), 0.0, 0.03 * p_.peakLevel);

    MicrophoneParams &m = p_.microphone;
    m.tockLevel = std::clamp(finiteOr(m.tockLevel, 1), 0.1, 1.5);
    m.drift = std::clamp(finiteOr(m.drift, 0), 0.0, 0.9);
    m.humHz = std::clamp(finiteOr(m.humHz, 50), 40.0, 120.0); // 100 or 120 Hz: full-wave rectified mains
    m.humLevel = std::clamp(finiteOr(m.humLevel, 0), 0.0, 30000.0);
    m.hissRms = std::clamp(finiteOr(m.hissRms, 0), 0.0, 10000.0);
    m.clicksPerMinute = std::clamp(finiteOr(m.clicksPerMinute, 0), 0.0, 600.0);
    m.subEvents = m.subEvents < 5 ? 3 : std::min(m.subEvents, 6);
    m.burstJitter = std::clamp(finiteOr(m.burstJitter, 0), 0.0, 0.9);
    m.tockImpulseLevel = std::clamp(finiteOr(m.tockImpulseLevel, 0), 0.0, 2.0);
    m.tockPitch = std::clamp(finiteOr(m.tockPitch, defaults.microphone.tockPitch), 0.5, 2.0);
    m.tockDecay = std::clamp(finiteOr(m.tockDecay, 1), 0.2, 3.0); // rings shorter than two beats
    m.pitch = std::clamp(finiteOr(m.pitch, 1), 0.5, 2.0);
    m.highHissRms = std::clamp(finiteOr(m.highHissRms, 0), 0.0, 10000.0);
    m.highHissHz = std::clamp(finiteOr(m.highHissHz, defaults.microphone.highHissHz), 1000.0, 20000.0);
    m.clickLevel = std::clamp(finiteOr(m.clickLevel, 1), 0.0, 20.0);
    std::erase_if(m.levelSteps, [](const LevelStep &s) { return !std::isfinite(s.atSeconds); });
    for (LevelStep &step : m.levelSteps)
        step.decibels = std::clamp(finiteOr(step.decibels, 0), -60.0, 60.0);

    const double nominal = kRate * 3600.0 / p_.beatsPerHour;
    period_ = nominal * (1 - p_.rateSecondsPerDay / 86400);
    p_.beatErrorMs = std::clamp(std::fabs(finiteOr(p_.beatErrorMs, 0)), 0.0, period_ / 10 / kRate * 1000);
    offset_ = p_.beatErrorMs * kRate / 1000;

    const double a = finiteOr(p_.amplitudeDegrees, defaults.amplitudeDegrees);
    const double maxLift = 0.3 * period_;
    if (m.on) {
        // The balance swings as a harmonic oscillator of period T = two beats: it passes the
        // lift angle L in d = T / pi x asin(L / (2 A)).
        const double half = p_.liftAngle / (2 * a);
        const double lift = half > 0 && half < 1 ? 2 * period_ / kPi * std::asin(half) : maxLift;
        lift_ = static_cast<int>(std::lround(std::clamp(lift, 2.0, maxLift)));
        p_.amplitudeDegrees = p_.liftAngle / (2 * std::sin(kPi * lift_ / (2 * period_)));
    } else {
        // amplitude = L (1 + (I + d) / (4 d))  <=>  d = I / (4 (A / L - 1) - 1)
        const double divisor = 4 * (a / p_.liftAngle - 1) - 1;
        const double lift = divisor > 0 ? period_ / divisor : maxLift;
        lift_ = static_cast<int>(std::lround(std::clamp(lift, 2.0, maxLift)));
        p_.amplitudeDegrees = p_.liftAngle * (1 + (period_ + lift_) / (4.0 * lift_));
    }
    m.tockLiftMs = std::clamp(finiteOr(m.tockLiftMs, 0), 0.0, 2.0);
    m.beatLevelSpread = std::clamp(finiteOr(m.beatLevelSpread, 1), 1.0, 4.0);
    m.halvingSeconds = std::max(0.0, finiteOr(m.halvingSeconds, 0));
    m.wander = std::clamp(finiteOr(m.wander, 0), 0.0, 0.9);
    m.wanderSeconds = std::clamp(finiteOr(m.wanderSeconds, defaults.microphone.wanderSeconds), 0.5, 600.0);
    m.bumpLevel = std::clamp(finiteOr(m.bumpLevel, 0), 0.0, 100000.0);
    m.bumpAtSeconds = std::max(0.0, finiteOr(m.bumpAtSeconds, 0));
    m.handlingLevel = std::clamp(finiteOr(m.handlingLevel, 0), 0.0, 30000.0);
    m.handlingFromSeconds = std::max(0.0, finiteOr(m.handlingFromSeconds, 0));
    // A burst's own ring stays audible and under half a second; a stretch looks back far
    // enough for the longest.
    double longest = 0;
    for (auto *shape : {&m.tickShape, &m.tockShape}) {
        std::erase_if(*shape, [](const ShapedBurst &b) {
            return !std::isfinite(b.ofLift) || b.ofLift < 0 || b.ofLift > 1 || !std::isfinite(b.level) ||
                   b.level < 0 || b.level > 2;
        });
        for (ShapedBurst &b : *shape) {
            BurstRing &r = b.ring;
            r.hz = std::isfinite(r.hz) && r.hz > 0 ? std::clamp(r.hz, 50.0, 20000.0) : 0;
            r.secondHz = r.hz > 0 && std::isfinite(r.secondHz) && r.secondHz > 0
                             ? std::clamp(r.secondHz, 50.0, 20000.0)
                             : 0;
            r.riseMs = std::clamp(finiteOr(r.riseMs, 0), 0.0, 20.0);
            r.decayMs = std::clamp(finiteOr(r.decayMs, 0), 0.0, 50.0);
            longest = std::max(longest, (r.riseMs + 8 * r.decayMs) * kRate / 1000);
        }
    }
    ringBeats_ = static_cast<int>(std::ceil(longest / period_));

    const double tau = std::min(250.0, period_ / 20);
    tail_ = static_cast<int>(7 * tau);
    // A whole number of carrier cycles in the rise puts a crest on the pulse start, so the
    // pulse rises above the edge level at its very first sample.
    carrier_ = std::max(1L, std::lround(0.07 * lift_)) / static_cast<double>(lift_);
    p_.firstPeak = std::max<int64_t>(p_.firstPeak, lift_ + 1);
}

int64_t SyntheticWatch::peakOf(int64_t beat) const
{
    return p_.firstPeak + std::llround(beat * period_ + ((beat & 1) ? offset_ : 0.0));
}

double SyntheticWatch::burst(int64_t beat, int64_t at) const
{
    const int64_t t = at - (peakOf(beat) - lift_);
    if (t < 0 || t > lift_ + tail_)
        return 0;
    if (t == lift_)
        return p_.peakLevel;
    // The carrier's swings beside the peak would come close to it in size: the peak is a
    // click of its own on a quieter body, well clear of every other sample.
    const double envelope = t < lift_ ? kStartLevel + (kBodyLevel - kStartLevel) * t / lift_
                                      : kBodyLevel * std::exp(-(t - lift_) * 7.0 / tail_);
    return p_.peakLevel * envelope * std::cos(2 * kPi * carrier_ * static_cast<double>(t - lift_));
}

// Uniform in [-noiseLevel, noiseLevel], from a hash of the position (splitmix64).
double SyntheticWatch::noise(int64_t at) const
{
    if (p_.noiseLevel <= 0)
        return 0;
    uint64_t x = static_cast<uint64_t>(at) + 0x9E3779B97F4A7C15ull * (p_.seed + 1ull);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return (static_cast<double>(x >> 11) / 9007199254740992.0 * 2 - 1) * p_.noiseLevel;
}

void SyntheticWatch::generate(int64_t from, int16_t *out, size_t count) const
{
    if (p_.microphone.on) {
        generateHeard(from, out, count);
        return;
    }
    // Bursts never overlap (a burst is shorter than a beat less the beat error), so the
    // latest beat whose burst has begun is the only one that can sound.
    int64_t beat =
        std::max<int64_t>(-1, static_cast<int64_t>(std::floor((from - p_.firstPeak) / period_)) - 2);
    for (size_t i = 0; i < count; ++i) {
        const int64_t at = from + static_cast<int64_t>(i);
        while (peakOf(beat + 1) - lift_ <= at)
            ++beat;
        double v = noise(at);
        if (beat >= 0)
            v += burst(beat, at);
        out[i] = static_cast<int16_t>(std::clamp<long>(std::lround(v), -32768, 32767));
    }
}

size_t SyntheticWatch::read(int16_t *out, size_t count)
{
    generate(position_, out, count);
    position_ += static_cast<int64_t>(count);
    return count;
}

} // namespace tamsel
