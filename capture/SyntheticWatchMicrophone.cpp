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

// Nearly Gaussian with a variance of 1/3: a sum of four uniform numbers.
double gauss(int64_t at, uint32_t seed, uint64_t stream)
{
    double sum = -2;
    for (uint64_t k = 0; k < 4; ++k)
        sum += hash01(static_cast<uint64_t>(at), seed, (k << 60) + stream);
    return sum;
}

// One sub-event of a tick: a struck resonance with two modes (or one, hz2 0), rising over a few
// samples and decaying within a millisecond or so, or as its burst would have it.
struct Ring {
    double hz1, hz2;
    double decay;    // samples
    double rise = 0; // the swell's time constant in samples; 0: kAttack's ramp
};

constexpr Ring kUnlocking{5200, 7100, 18};
constexpr Ring kImpulse{3600, 6100, 24};
constexpr Ring kDrop{2800, 4700, 30};
constexpr double kEchoDecay = 1.3; // an echo rings a little longer than its burst
constexpr int kAttack = 4;

// Where each kind of burst sits and how loud it is (the drop's level is 1). The plain tick has
// the unlocking, the impulse and the drop; the full one adds echoes in the gaps and after the
// drop, at levels that let the impulse outdo the drop when the bursts' levels vary.
struct Layout {
    double impulseAt; // of the lift time, after the unlocking
    double unlocking, unlockingEcho, impulse, impulseEcho, dropEcho;
};
constexpr Layout kPlain{0.45, 0.35, 0, 0.6, 0, 0};
constexpr Layout kFull{0.42, 0.5, 0.3, 0.8, 0.45, 0.55};
constexpr double kUnlockingEchoAt = 0.4; // of the way from the unlocking to the impulse
constexpr double kImpulseEchoAt = 0.45;  // of the way from the impulse to the drop
constexpr int kDropEchoDelay = 62;       // samples, 1.4 ms

using Kind = SyntheticWatch::HeardBurst::Kind;

Ring ringOf(Kind kind)
{
    switch (kind) {
    case Kind::Unlocking: return kUnlocking;
    case Kind::UnlockingEcho: return {kUnlocking.hz1, kUnlocking.hz2, kUnlocking.decay * kEchoDecay};
    case Kind::Impulse: return kImpulse;
    case Kind::ImpulseEcho: return {kImpulse.hz1, kImpulse.hz2, kImpulse.decay * kEchoDecay};
    case Kind::Drop: return kDrop;
    case Kind::DropEcho: return {kDrop.hz1, kDrop.hz2, kDrop.decay * kEchoDecay};
    }
    return kDrop;
}

// A swell is a ring built up through the watch's case as it dies away: its amplitude grows as
// 1 - e^(-t/r) while it decays as e^(-t/d), peaking at r ln(1 + d/r). The r that peaks at `peak`.
double swellConstant(double peak, double decay)
{
    if (peak <= 0)
        return 0;
    double lo = 0, hi = peak;
    for (int i = 0; i < 60; ++i) {
        const double r = (lo + hi) / 2;
        (r * std::log(1 + decay / r) < peak ? lo : hi) = r;
    }
    return (lo + hi) / 2;
}

// A burst's ring as its own settings change its kind's.
Ring withOwn(Ring ring, const BurstRing &own)
{
    if (own.hz > 0) {
        ring.hz1 = own.hz;
        ring.hz2 = own.secondHz;
    }
    if (own.decayMs > 0)
        ring.decay = own.decayMs * SyntheticWatch::kRate / 1000;
    ring.rise = swellConstant(own.riseMs * SyntheticWatch::kRate / 1000, ring.decay);
    return ring;
}

// Each burst's phase, apart from the beat's own.
constexpr double kPhaseOf[] = {0, 0.5, 1, 1.5, 2, 2.5};

void addRing(std::vector<double> &v, int64_t from, int64_t start, const Ring &ring, double level,
             double phase, double hzScale)
{
    const int64_t length = static_cast<int64_t>(ring.rise + 8 * ring.decay);
    const int64_t first = std::max<int64_t>(start, from);
    const int64_t last = std::min<int64_t>(start + length, from + static_cast<int64_t>(v.size()));
    const double w1 = kTwoPi * ring.hz1 * hzScale / SyntheticWatch::kRate;
    const double w2 = kTwoPi * ring.hz2 * hzScale / SyntheticWatch::kRate;
    // A swell scaled to peak at 1, as a burst does.
    const double peakAt = ring.rise > 0 ? ring.rise * std::log(1 + ring.decay / ring.rise) : 0;
    const double swellPeak =
        ring.rise > 0 ? (1 - std::exp(-peakAt / ring.rise)) * std::exp(-peakAt / ring.decay) : 1;
    for (int64_t at = first; at < last; ++at) {
        const double t = static_cast<double>(at - start);
        const double envelope = ring.rise <= 0
                                    ? std::min(1.0, (t + 1) / kAttack) * std::exp(-t / ring.decay)
                                    : (1 - std::exp(-t / ring.rise)) * std::exp(-t / ring.decay) / swellPeak;
        const double modes = ring.hz2 > 0
                                 ? 0.6 * std::cos(w1 * t + phase) + 0.4 * std::cos(w2 * t + phase + 1.3)
                                 : std::cos(w1 * t + phase);
        v[static_cast<size_t>(at - from)] += level * envelope * modes;
    }
}

// A windowed-sinc high-pass (a Blackman window over 63 taps), scaled to pass unit-variance
// noise at unit variance.
std::vector<double> highPass(double hz)
{
    constexpr int kTaps = 63;
    constexpr int kMid = kTaps / 2;
    const double fc = hz / SyntheticWatch::kRate;
    std::vector<double> h(kTaps);
    for (int k = 0; k < kTaps; ++k) {
        const double n = k - kMid;
        const double sinc = n == 0 ? 2 * fc : std::sin(kTwoPi * fc * n) / (kPi * n);
        const double window =
            0.42 - 0.5 * std::cos(kTwoPi * k / (kTaps - 1)) + 0.08 * std::cos(2 * kTwoPi * k / (kTaps - 1));
        h[static_cast<size_t>(k)] = -sinc * window;
    }
    h[kMid] += 1;
    double power = 0;
    for (double x : h)
        power += x * x;
    for (double &x : h)
        x /= std::sqrt(power);
    return h;
}

constexpr uint64_t kHighHissStream = 1ull << 52;
constexpr uint64_t kRumbleStream = 2ull << 52;
constexpr uint64_t kScrapeStream = 3ull << 52;

// The bump: a damped low swing, one thud rather than a tone.
constexpr double kBumpHz = 70;
constexpr double kBumpDecay = 0.02; // seconds
// Handling: rumble from a moving sum of white noise (its first null at 44 100 / 32 Hz), and
// scrapes, white noise whose level changes smoothly from one slot to the next.
constexpr int kRumbleTaps = 32;
constexpr double kScrapeSlot = 0.06;  // seconds
constexpr double kHandlingRamp = 0.1; // seconds for the handling to set in

} // namespace

std::vector<SyntheticWatch::HeardBurst> SyntheticWatch::heardBursts(int64_t beat) const
{
    const MicrophoneParams &m = p_.microphone;
    if (!m.on || !m.watchHeard || beat < 0)
        return {};
    const int64_t drop = peakOf(beat);
    const double t = static_cast<double>(drop) / kRate;
    const double drift = 1 + m.drift * std::sin(kTwoPi * t / 47 + 0.7);
    const double jitter = 1 + 0.1 * (2 * hash01(static_cast<uint64_t>(beat), p_.seed, 1ull << 56) - 1);
    double steps = 1;
    for (const LevelStep &step : m.levelSteps)
        if (drop >= step.atSeconds * kRate)
            steps *= std::pow(10, step.decibels / 20);
    const bool tock = beat & 1;
    const double spread =
        std::pow(m.beatLevelSpread, hash01(static_cast<uint64_t>(beat), p_.seed, 6ull << 56) - 0.5);
    const double fade = m.halvingSeconds > 0 ? std::exp2(-t / m.halvingSeconds) : 1;
    const double level = p_.peakLevel * (tock ? m.tockLevel : 1.0) * drift * jitter * steps * spread * fade;

    // The unlocking keeps the beat's time; a tock's lift may be longer than the tick's.
    const int64_t unlocking = drop - lift_;
    const int64_t lift = lift_ + (tock ? std::lround(m.tockLiftMs * kRate / 1000) : 0);
    std::vector<HeardBurst> bursts;
    const std::vector<ShapedBurst> &shape = tock ? m.tockShape : m.tickShape;
    if (!shape.empty()) {
        for (const ShapedBurst &b : shape)
            bursts.push_back({b.kind,
                              b.kind == Kind::DropEcho ? unlocking + lift + kDropEchoDelay
                                                       : unlocking + std::lround(b.ofLift * lift),
                              b.level, b.ring});
        std::stable_sort(bursts.begin(), bursts.end(),
                         [](const HeardBurst &x, const HeardBurst &y) { return x.start < y.start; });
    } else {
        const bool full = m.subEvents >= 5;
        const Layout &layout = full ? kFull : kPlain;
        const int64_t impulse = unlocking + std::lround(layout.impulseAt * lift);
        const int64_t dropAt = unlocking + lift;
        const double impulseLevel = tock && m.tockImpulseLevel > 0 ? m.tockImpulseLevel : layout.impulse;
        bursts.push_back({Kind::Unlocking, unlocking, layout.unlocking});
        if (full)
            bursts.push_back({Kind::UnlockingEcho,
                              unlocking + std::lround(kUnlockingEchoAt * (impulse - unlocking)),
                              layout.unlockingEcho});
        bursts.push_back({Kind::Impulse, impulse, impulseLevel});
        if (full)
            bursts.push_back({Kind::ImpulseEcho, impulse + std::lround(kImpulseEchoAt * (dropAt - impulse)),
                              layout.impulseEcho});
        bursts.push_back({Kind::Drop, dropAt, 1.0});
        if (m.subEvents >= 6)
            bursts.push_back({Kind::DropEcho, dropAt + kDropEchoDelay, layout.dropEcho});
    }
    const double wanderPhase = hash01(tock, p_.seed, 7ull << 56);
    for (HeardBurst &b : bursts) {
        const auto place = static_cast<uint64_t>(&b - bursts.data());
        // Shaped beats may repeat a kind: their bursts vary by their place instead.
        const auto stream = shape.empty() ? 8 + static_cast<uint64_t>(b.kind) : 16 + place;
        const double vary =
            1 + m.burstJitter * (2 * hash01(static_cast<uint64_t>(beat), p_.seed, stream << 56) - 1);
        const double turn = t / m.wanderSeconds + wanderPhase + static_cast<double>(place) / bursts.size();
        const double wander = bursts.size() > 1 ? 1 + m.wander * std::sin(kTwoPi * turn) : 1;
        b.level = b.level * level * vary * wander;
    }
    return bursts;
}

void SyntheticWatch::addHighHiss(int64_t from, std::vector<double> &v) const
{
    const std::vector<double> h = highPass(p_.microphone.highHissHz);
    const auto half = static_cast<int64_t>(h.size() / 2);
    std::vector<double> white(v.size() + h.size() - 1);
    for (size_t i = 0; i < white.size(); ++i)
        white[i] = gauss(from - half + static_cast<int64_t>(i), p_.seed, kHighHissStream) * std::sqrt(3.0);
    for (size_t i = 0; i < v.size(); ++i) {
        double sum = 0;
        for (size_t k = 0; k < h.size(); ++k)
            sum += h[k] * white[i + k];
        v[i] += p_.microphone.highHissRms * sum;
    }
}

void SyntheticWatch::addHandling(int64_t from, std::vector<double> &v) const
{
    const MicrophoneParams &m = p_.microphone;
    const int64_t end = from + static_cast<int64_t>(v.size());
    if (m.bumpLevel > 0) {
        const double w = kTwoPi * kBumpHz / kRate;
        const double tau = kBumpDecay * kRate;
        const double crest = std::atan(w * tau) / w; // where sin(w t) exp(-t / tau) peaks
        const double scale = m.bumpLevel / (std::sin(w * crest) * std::exp(-crest / tau));
        const int64_t at = std::llround(m.bumpAtSeconds * kRate);
        const int64_t last = std::min(end, at + static_cast<int64_t>(8 * tau));
        for (int64_t i = std::max(at, from); i < last; ++i) {
            const auto t = static_cast<double>(i - at);
            v[static_cast<size_t>(i - from)] += scale * std::sin(w * t) * std::exp(-t / tau);
        }
    }
    const int64_t start = std::llround(m.handlingFromSeconds * kRate);
    const int64_t first = std::max(start, from);
    if (m.handlingLevel <= 0 || first >= end)
        return;
    // White noise from kRumbleTaps - 1 samples before the first, each sum taken whole so that
    // a sample is the same however the stretch is cut.
    std::vector<double> white(static_cast<size_t>(end - first + kRumbleTaps - 1));
    for (size_t i = 0; i < white.size(); ++i)
        white[i] = gauss(first - kRumbleTaps + 1 + static_cast<int64_t>(i), p_.seed, kRumbleStream);
    const double slot = kScrapeSlot * kRate;
    const auto scrapeOf = [&](int64_t n) {
        return 3 * std::pow(hash01(static_cast<uint64_t>(n), p_.seed, 14ull << 56), 4);
    };
    for (int64_t at = first; at < end; ++at) {
        double sum = 0;
        for (int k = 0; k < kRumbleTaps; ++k)
            sum += white[static_cast<size_t>(at - first + k)];
        const double rumble = sum * std::sqrt(3.0 / kRumbleTaps);
        const auto n = static_cast<int64_t>(std::floor(static_cast<double>(at) / slot));
        const double x = static_cast<double>(at) / slot - static_cast<double>(n);
        const double scrape = scrapeOf(n) + (scrapeOf(n + 1) - scrapeOf(n)) * (0.5 - 0.5 * std::cos(kPi * x));
        const double ramp = std::min(1.0, static_cast<double>(at - start) / (kHandlingRamp * kRate));
        v[static_cast<size_t>(at - from)] +=
            m.handlingLevel * ramp * (rumble + scrape * std::sqrt(3.0) * gauss(at, p_.seed, kScrapeStream));
    }
}

void SyntheticWatch::generateHeard(int64_t from, int16_t *out, size_t count) const
{
    const MicrophoneParams &m = p_.microphone;
    std::vector<double> v(count);
    // Mains hum with its harmonics, peaking near humLevel; Gaussian hiss.
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(from + static_cast<int64_t>(i)) / kRate;
        const double w = kTwoPi * m.humHz * t;
        double sample = m.humLevel * (0.55 * std::sin(w) + 0.25 * std::sin(2 * w + 1) +
                                      0.12 * std::sin(3 * w + 2) + 0.08 * std::sin(5 * w + 0.5));
        sample += m.hissRms * gauss(from + static_cast<int64_t>(i), p_.seed, 0) * std::sqrt(3.0);
        v[i] = sample;
    }
    if (m.highHissRms > 0)
        addHighHiss(from, v);
    if (m.bumpLevel > 0 || m.handlingLevel > 0)
        addHandling(from, v);
    // The beats whose sound reaches into the range.
    const int64_t end = from + static_cast<int64_t>(count);
    int64_t beat = std::max<int64_t>(0, static_cast<int64_t>(std::floor((from - p_.firstPeak) / period_)) -
                                            2 - ringBeats_);
    for (; m.watchHeard && peakOf(beat) - lift_ < end; ++beat) {
        const double phase = kTwoPi * hash01(static_cast<uint64_t>(beat), p_.seed, 2ull << 56);
        // Ticks and tocks ring differently.
        const bool tock = beat & 1;
        const double hzScale = (tock ? m.tockPitch : 1.0) * m.pitch;
        for (const HeardBurst &b : heardBursts(beat)) {
            Ring ring = ringOf(b.kind);
            if (tock)
                ring.decay *= m.tockDecay;
            addRing(v, from, b.start, withOwn(ring, b.ring), b.level,
                    phase + kPhaseOf[static_cast<int>(b.kind)], b.ring.hz > 0 ? 1.0 : hzScale);
        }
    }
    // Room clicks, one somewhere in each slot, about as loud as the ticks.
    if (m.clicksPerMinute > 0) {
        const double slot = 60.0 * kRate / m.clicksPerMinute;
        for (auto n = static_cast<int64_t>(std::floor((from - 400) / slot)); n * slot < end; ++n) {
            const auto key = static_cast<uint64_t>(n);
            const int64_t at =
                static_cast<int64_t>(std::floor((n + hash01(key, p_.seed, 3ull << 56)) * slot));
            const Ring click{1800 + 3000 * hash01(key, p_.seed, 4ull << 56), 6500, 12};
            addRing(v, from, at, click,
                    p_.peakLevel * m.clickLevel * (0.7 + 0.6 * hash01(key, p_.seed, 5ull << 56)), 0, 1);
        }
    }
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<int16_t>(std::clamp<long>(std::lround(v[i]), -32768, 32767));
}

} // namespace tamsel
