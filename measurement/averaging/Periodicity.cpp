#include "measurement/averaging/Periodicity.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>

#include "measurement/averaging/PeakOffset.h"

#include "measurement/StandardRates.h"
#include "measurement/averaging/BandBank.h"
#include "measurement/averaging/KthSmallest.h"

namespace tamsel {

namespace {

constexpr int kGroup = 4; // envelope samples averaged into one of the series
constexpr double kSeriesRate = BandBank::kEnvelopeRate / kGroup;
// The lags read (up to two thirds of the series) do not wrap around a series of up to 7 s.
constexpr size_t kFftSize = size_t{1} << 15;
constexpr size_t kMostSeries = kFftSize * 3 / 5;
// Beat error shifts a tock off the middle of the cycle by up to a few milliseconds (5 ms and more
// in a watch badly out of beat).
constexpr double kBeatErrorReach = 0.007;
// A clock is often out of beat by tens of milliseconds: a share of its beat.
constexpr double kClockBeatErrorShare = 0.035;
// A beat apart the repetition is weaker (tick against tock, split by beat error), but never
// this much weaker than at the cycle; half a beat apart a watch does not repeat at all.
constexpr double kLeastBeatShare = 0.2;
// Rates whose cycle repeats at least this share of the best one are candidates; the fastest wins.
constexpr double kCandidateShare = 0.5;
constexpr double kLeastStrength = 0.08;
constexpr double kLeastBeatContrast = 4;
// Louder than this over the typical level counts no more: a click weighs no more than a tick.
constexpr double kMostOverFloor = 20;
constexpr double kLeastContrast = 6;  // times the typical correlation of noise
constexpr double kSureStrength = 0.8; // repeats this well: no chance
// Within a beat a watch does not repeat: its sound is over long before the next beat. A train of
// pulses faster than the beat (the edges of a square wave, at a rate that is no watch's) repeats
// there as well as a beat apart. Looked at from a quarter of a beat on, beyond the longest lift.
constexpr double kMostWithinBeatShare = 0.5;
constexpr double kWithinBeatFrom = 0.25;
// Below this typical envelope (in sample units) only the filters' own decay is left: digital
// silence or a constant level. The quietest real input, its rounding alone, is ten times this.
constexpr double kLeastFloor = 0.01;
// Beats per hour between the standard rates tried: a tenth of a beat a second for watches, a
// beat a minute for clocks, whose trains give rates such as 8 100 or 8 640.
constexpr double kOwnRateStep = 360;
constexpr double kClockOwnRateStep = 60;
constexpr double kClockRatesBelow = 10800;
constexpr double kSilentShare = 0.01; // of the loudest 1 %: the least typical level

// The rates a watch or clock is built to, slowest first: the clocks' below the watches'.
const std::vector<double> &standardRates()
{
    static const std::vector<double> rates = [] {
        std::vector<double> all(kClockBeatsPerHour.begin(), kClockBeatsPerHour.end());
        all.insert(all.end(), kStandardBeatsPerHour.begin(), kStandardBeatsPerHour.end());
        return all;
    }();
    return rates;
}

// Every step between the slowest and the fastest standard rate that none of them covers.
std::vector<double> ownRates()
{
    const std::vector<double> &standard = standardRates();
    std::vector<double> others;
    for (double bph = standard.front(); bph <= standard.back();
         bph += bph < kClockRatesBelow ? kClockOwnRateStep : kOwnRateStep)
        if (std::none_of(standard.begin(), standard.end(),
                         [&](double s) { return std::fabs(bph / s - 1) <= kStandardRateTolerance; }))
            others.push_back(bph);
    return others;
}

} // namespace

struct PeriodFinder::Fft {
    kiss_fftr_cfg forward = kiss_fftr_alloc(static_cast<int>(kFftSize), 0, nullptr, nullptr);
    kiss_fftr_cfg inverse = kiss_fftr_alloc(static_cast<int>(kFftSize), 1, nullptr, nullptr);
    std::vector<kiss_fft_cpx> spectrum = std::vector<kiss_fft_cpx>(kFftSize / 2 + 1);
    ~Fft()
    {
        kiss_fftr_free(forward);
        kiss_fftr_free(inverse);
    }
};

PeriodFinder::PeriodFinder() : fft_(new Fft), series_(kFftSize), correlation_(kFftSize) {}

PeriodFinder::~PeriodFinder()
{
    delete fft_;
}

// correlation_[k] for k < lags, of the first n entries of series_ (the rest zero), unbiased and
// scaled to 1 at 0.
void PeriodFinder::autocorrelate(size_t n, size_t lags)
{
    std::fill(series_.begin() + static_cast<std::ptrdiff_t>(n), series_.end(), 0.0f);
    kiss_fftr(fft_->forward, series_.data(), fft_->spectrum.data());
    for (kiss_fft_cpx &c : fft_->spectrum) {
        c.r = c.r * c.r + c.i * c.i;
        c.i = 0;
    }
    kiss_fftri(fft_->inverse, fft_->spectrum.data(), correlation_.data());
    const double zero = correlation_[0];
    for (size_t k = 0; k < lags; ++k)
        correlation_[k] = zero > 0 ? static_cast<float>(correlation_[k] / zero * n / (n - k)) : 0.0f;
}

Periodicity PeriodFinder::find(const EnvelopeRing &envelope, double seconds, double handBeatsPerHour)
{
    Periodicity result;
    const int64_t available = envelope.end() - envelope.begin();
    const int64_t wanted = static_cast<int64_t>(seconds * BandBank::kEnvelopeRate);
    const int64_t length = std::min({available, wanted, int64_t{kMostSeries * kGroup}}) / kGroup * kGroup;
    if (length < kLeastSeconds * BandBank::kEnvelopeRate)
        return result;
    const size_t n = static_cast<size_t>(length / kGroup);
    const int64_t from = envelope.end() - length;
    for (size_t j = 0; j < n; ++j) {
        float sum = 0;
        for (int g = 0; g < kGroup; ++g)
            sum += envelope[from + static_cast<int64_t>(j) * kGroup + g];
        series_[j] = sum / kGroup;
    }
    // Compressed against the typical level, so that a loud click or a level step weighs no more
    // than a beat; then the slow part (a level changing over a second) taken off.
    // Exact silence between ticks has no level: then a small share of the loud part's stands
    // for it. Nothing at all (only the filters' decay) is no watch.
    const std::span<const float> series(series_.data(), n);
    const double loudest = kthSmallest(series, n * 99 / 100);
    const double floor = std::max<double>(kthSmallest(series, n / 2), kSilentShare * loudest);
    if (!(floor >= kLeastFloor))
        return result;
    for (size_t j = 0; j < n; ++j)
        series_[j] = static_cast<float>(std::min(series_[j] / floor, kMostOverFloor));
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t j = 0; j < n; ++j)
        prefix[j + 1] = prefix[j] + series_[j];
    const auto half = static_cast<ptrdiff_t>(kSeriesRate / 2);
    for (size_t j = 0; j < n; ++j) {
        const ptrdiff_t lo = std::max<ptrdiff_t>(0, static_cast<ptrdiff_t>(j) - half);
        const ptrdiff_t hi =
            std::min<ptrdiff_t>(static_cast<ptrdiff_t>(n), static_cast<ptrdiff_t>(j) + half + 1);
        series_[j] -= static_cast<float>((prefix[static_cast<size_t>(hi)] - prefix[static_cast<size_t>(lo)]) /
                                         (hi - lo));
    }
    const size_t lastLag = n * 2 / 3; // beyond it too few products to trust
    autocorrelate(n, lastLag);

    // How far beat error may move a beat of `period` series samples, in series samples.
    const auto reachOf = [](double period) {
        return std::max(kBeatErrorReach * kSeriesRate, kClockBeatErrorShare * period);
    };
    auto peak = [&](double lag, double tolerance, double reach, double *at) {
        const auto lo = static_cast<size_t>(std::max(1.0, lag * (1 - tolerance) - reach));
        const auto hi = std::min(lastLag, static_cast<size_t>(lag * (1 + tolerance) + reach + 1));
        double best = -1;
        size_t bestAt = lo;
        for (size_t k = lo; k < hi; ++k)
            if (correlation_[k] > best)
                best = correlation_[bestAt = k];
        if (at) {
            double offset = 0;
            if (bestAt > 0 && bestAt + 1 < lastLag)
                offset = peakOffset(correlation_[bestAt - 1], correlation_[bestAt], correlation_[bestAt + 1]);
            *at = bestAt + offset;
        }
        return hi > lo ? best : -1.0;
    };

    std::vector<float> spread;
    for (size_t k = static_cast<size_t>(0.03 * kSeriesRate); k < lastLag; ++k)
        spread.push_back(std::fabs(correlation_[k]));
    result.noise = spread.empty() ? 0 : 1.4826 * kthSmallest(spread, spread.size() / 2);

    // Tick to tock and tock to tick lie beat error either side of one beat: their mean, at the
    // best split, is how much a beat apart repeats.
    auto beatApart = [&](double period) {
        const auto reach = static_cast<size_t>(reachOf(period));
        const auto lo =
            static_cast<size_t>(std::max<double>(reach + 1, period * (1 - kStandardRateTolerance)));
        const auto hi =
            std::min(lastLag - reach, static_cast<size_t>(period * (1 + kStandardRateTolerance) + 1));
        double best = -1;
        for (size_t k = lo; k < hi; ++k)
            for (size_t d = 0; d <= reach; ++d)
                best = std::max(best, 0.5 * (correlation_[k - d] + correlation_[k + d]));
        return best;
    };

    // The most it repeats between a quarter of a beat and the beat less the beat error's reach.
    auto withinBeat = [&](double period) {
        const auto lo = static_cast<size_t>(kWithinBeatFrom * period);
        const double hi = period * (1 - kStandardRateTolerance) - reachOf(period);
        double best = -1;
        for (size_t k = lo; static_cast<double>(k) < hi && k < lastLag; ++k)
            best = std::max(best, static_cast<double>(correlation_[k]));
        return best;
    };

    struct Candidate {
        double bph, beat, withinBeat, cycle, cycleAt;
    };
    std::vector<Candidate> candidates;
    // The fastest rate that repeats nearly as well as the best, and also a beat apart, clearly
    // (a clean watch whose tick and tock sound unlike repeats less a beat apart, while its own
    // correlation between the beats looks like noise: its cycle repeats surely).
    const auto choose = [&](const std::vector<double> &rates) -> const Candidate * {
        candidates.clear();
        double best = 0;
        for (double bph : rates) {
            const double period = kSeriesRate * 3600 / bph;
            if (2 * period * (1 + kStandardRateTolerance) + reachOf(period) >= lastLag)
                continue;
            Candidate c{bph, beatApart(period), withinBeat(period), 0, 0};
            c.cycle = peak(2 * period, kStandardRateTolerance, reachOf(period), &c.cycleAt);
            // Tick to tick is a whole cycle, whatever the beat error: a peak found only at the
            // edge of the reach belongs to another rate.
            if (std::fabs(c.cycleAt / (2 * period) - 1) > kStandardRateTolerance)
                continue;
            candidates.push_back(c);
            best = std::max(best, c.cycle);
        }
        const Candidate *chosen = nullptr;
        for (const Candidate &c : candidates)
            if (c.cycle >= kCandidateShare * best && c.beat >= kLeastBeatShare * c.cycle &&
                (c.beat >= kLeastBeatContrast * result.noise || c.cycle >= kSureStrength) &&
                c.withinBeat < kMostWithinBeatShare * c.beat && (!chosen || c.bph > chosen->bph))
                chosen = &c;
        return chosen;
    };
    const Candidate *chosen = nullptr;
    if (handBeatsPerHour > 0)
        chosen = choose({handBeatsPerHour});
    else
        chosen = choose(standardRates());
    bool between = false;
    if (!chosen && handBeatsPerHour <= 0) {
        // A watch or clock built to a rate of its own, between the standard ones, is still
        // heard: every step the table does not cover is tried.
        static const std::vector<double> others = ownRates();
        chosen = choose(others);
        between = chosen != nullptr;
    }
    if (!chosen)
        return result;

    // Between the standard rates the watch's own rate is taken, to its step.
    const double heardRate = kSeriesRate * 3600 * 2 / chosen->cycleAt;
    const double step = heardRate < kClockRatesBelow ? kClockOwnRateStep : kOwnRateStep;
    result.beatsPerHour = between ? std::round(heardRate / step) * step : chosen->bph;
    result.cycle = chosen->cycleAt * kGroup;
    result.strength = chosen->cycle;
    // A clean watch repeats so well that its own correlation between the beats looks like noise.
    result.heard = result.strength >= kLeastStrength &&
                   (result.strength >= kLeastContrast * result.noise || result.strength >= kSureStrength);
    return result;
}

} // namespace tamsel
