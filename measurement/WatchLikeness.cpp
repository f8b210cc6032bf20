#include "measurement/WatchLikeness.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tamsel {

namespace {
constexpr double kStandardBeatsPerHour[] = {7200,  9000,  10800, 12000, 14400, 18000,
                                            19800, 21600, 25200, 28800, 36000, 43200};
constexpr double kRateTolerance = 0.02;
// A tick lasts the lift and its echoes, well under half a beat interval even at the least
// amplitude shown; a tone, a hum or a level lasts as long as the pulse search looks.
constexpr double kWidestPulse = 0.5;
// A tick and the following tock span two beat intervals to within this share, whatever the
// beat error; each interval stays within a quarter of a beat interval (the most beat error
// shown) and a little jitter of the nominal one.
constexpr double kPairTolerance = 0.1;
constexpr double kShortestInterval = 0.6;
constexpr double kLongestInterval = 1.4;
constexpr double kGapTolerance = 0.3;
// Fewer judged pairs than this leave the verdict as it was.
constexpr size_t kLeastPairs = 4;
// Shares of agreeing interval pairs to become a watch, and to stay one.
constexpr double kBecomeWatch = 0.75;
constexpr double kStayWatch = 0.5;

// An interval of two beats or more, give or take the most beat error and jitter: beats missed, or not looked
// at (the end of a sweep). Neither for nor against a watch.
bool Gap(double interval, double period)
{
    const double beats = std::round(interval / period);
    return beats >= 2 && std::fabs(interval - beats * period) <= kGapTolerance * period;
}

double Median(std::span<const double> values)
{
    std::vector<double> v(values.begin(), values.end());
    const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), middle, v.end());
    return *middle;
}

// Whether two consecutive intervals make up one tick and one tock.
bool TickAndTock(double first, double second, double period)
{
    const auto single = [period](double d) {
        return kShortestInterval * period <= d && d <= kLongestInterval * period;
    };
    return single(first) && single(second) &&
           std::fabs(first + second - 2 * period) <= kPairTolerance * 2 * period;
}

// The pairs of consecutive intervals that are judged (no gap in them), and how many of them
// agree.
struct Pairs {
    size_t judged = 0;
    size_t agreeing = 0;
};

Pairs JudgePairs(std::span<const double> t, double period)
{
    Pairs pairs;
    for (size_t i = 2; i < t.size(); ++i) {
        const double first = t[i - 1] - t[i - 2], second = t[i] - t[i - 1];
        if (Gap(first, period) || Gap(second, period))
            continue;
        ++pairs.judged;
        pairs.agreeing += TickAndTock(first, second, period) ? 1 : 0;
    }
    return pairs;
}
} // namespace

double WatchLikeness::AgreeingSince(const PulseTrain &pulses)
{
    const auto t = pulses.times;
    if (t.empty())
        return 0;
    const double period = pulses.samplesPerSecond / pulses.beatsPerSecond;
    size_t first = t.size() - 1;
    for (size_t k = t.size() - 1; k >= 2 && TickAndTock(t[k - 1] - t[k - 2], t[k] - t[k - 1], period); --k)
        first = k - 2;
    return t[first];
}

bool WatchLikeness::StandardBeatRate(double beatsPerSecond)
{
    const double bph = beatsPerSecond * 3600;
    return std::any_of(
        std::begin(kStandardBeatsPerHour), std::end(kStandardBeatsPerHour),
        [bph](double standard) { return std::fabs(bph - standard) <= kRateTolerance * standard; });
}

bool WatchLikeness::PossibleAmplitude(double degrees)
{
    return 100 <= degrees && degrees <= 360;
}

bool WatchLikeness::PossibleBeatError(double milliseconds, double beatsPerSecond)
{
    return beatsPerSecond > 0 && std::isfinite(milliseconds) && milliseconds <= 1000 / beatsPerSecond / 4;
}

WatchVerdict WatchLikeness::Judge(const PulseTrain &pulses)
{
    const double bps = pulses.beatsPerSecond;
    if (!(bps > 0) || !std::isfinite(bps) || !(pulses.samplesPerSecond > 0) ||
        pulses.times.size() < kLeastPulses)
        return verdict_;
    const double period = pulses.samplesPerSecond / bps;
    bool watch = pulses.beatRateByHand || StandardBeatRate(bps);
    if (watch && pulses.widths.size() == pulses.times.size())
        watch = Median(pulses.widths) <= kWidestPulse * period;
    if (watch) {
        const Pairs pairs = JudgePairs(pulses.times, period);
        if (pairs.judged < kLeastPairs)
            return verdict_;
        const double needed = verdict_ == WatchVerdict::Watch ? kStayWatch : kBecomeWatch;
        watch = static_cast<double>(pairs.agreeing) >= needed * static_cast<double>(pairs.judged);
    }
    verdict_ = watch ? WatchVerdict::Watch : WatchVerdict::NoWatch;
    return verdict_;
}

} // namespace tamsel
