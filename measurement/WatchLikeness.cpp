#include "measurement/WatchLikeness.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "measurement/Median.h"
#include "measurement/StandardRates.h"

namespace tamsel {

namespace {
// A tick lasts the lift and its echoes, well under half a beat interval even at the least
// amplitude shown; a tone, a hum or a level lasts as long as the pulse search looks.
constexpr double kWidestPulse = 0.5;
// An interval spans one to three beats (beats missed, or not looked at by the end of a sweep),
// each give or take the most beat error shown (a quarter of one) and jitter; two consecutive
// intervals, where tick and tock errors cancel, span their beats to within a fifth of one.
constexpr double kBeatTolerance = 0.35;
constexpr double kPairTolerance = 0.2;
constexpr double kMostBeatsPerInterval = 3;
// Shares of agreeing interval pairs to become a watch, and to stay one.
constexpr double kBecomeWatch = 0.75;
constexpr double kStayWatch = 0.5;

// The beats an interval spans, or 0 when it spans no whole number of them.
double Beats(double interval, double period)
{
    const double beats = std::round(interval / period);
    return beats >= 1 && beats <= kMostBeatsPerInterval &&
                   std::fabs(interval - beats * period) <= kBeatTolerance * period
               ? beats
               : 0;
}

// Whether two consecutive intervals keep the beat of a watch.
bool TickAndTock(double first, double second, double period)
{
    const double beats = Beats(first, period) + Beats(second, period);
    return Beats(first, period) > 0 && Beats(second, period) > 0 &&
           std::fabs(first + second - beats * period) <= kPairTolerance * period;
}

// The share of consecutive interval pairs that keep the beat.
double AgreeingShare(std::span<const double> t, double period)
{
    size_t agreeing = 0;
    for (size_t i = 2; i < t.size(); ++i)
        agreeing += TickAndTock(t[i - 1] - t[i - 2], t[i] - t[i - 1], period) ? 1 : 0;
    return static_cast<double>(agreeing) / static_cast<double>(t.size() - 2);
}

// The share of pairs that keep the beat once stray pulses are left out, over the pairs there
// were: a click between two beats splits an interval into two that span no beat, while the
// beats on either side of it keep theirs. A pulse halfway between two is no stray but the beat
// of a watch twice as fast, half of whose beats were missed. Only a watch already heard is
// judged so: clicks alone never make one.
double ShareWithoutStrays(std::span<const double> t, double period)
{
    std::vector<double> kept;
    for (size_t i = 0; i < t.size(); ++i) {
        const bool halfway =
            !kept.empty() && std::fabs(t[i] - kept.back() - period / 2) <= kBeatTolerance * period / 2;
        const bool stray = !kept.empty() && i + 1 < t.size() && !halfway &&
                           Beats(t[i + 1] - kept.back(), period) > 0 &&
                           (Beats(t[i] - kept.back(), period) == 0 || Beats(t[i + 1] - t[i], period) == 0);
        if (!stray)
            kept.push_back(t[i]);
    }
    return AgreeingShare(kept, period) * static_cast<double>(kept.size() - 2) /
           static_cast<double>(t.size() - 2);
}
} // namespace

bool WatchLikeness::StandardBeatRate(double beatsPerSecond)
{
    const double bph = beatsPerSecond * 3600;
    return std::any_of(
        std::begin(kStandardBeatsPerHour), std::end(kStandardBeatsPerHour),
        [bph](double standard) { return std::fabs(bph - standard) <= kStandardRateTolerance * standard; });
}

bool WatchLikeness::PossibleAmplitude(double degrees)
{
    return degrees <= 360 && std::nearbyint(degrees) >= 100;
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
    // Staying a watch is for the beat rate it was heard at: a new count must show itself.
    const bool staying = verdict_ == WatchVerdict::Watch && bps == watchBeatsPerSecond_;
    verdict_ = Keeps(pulses, staying ? kStayWatch : kBecomeWatch, staying) ? WatchVerdict::Watch
                                                                           : WatchVerdict::NoWatch;
    watchBeatsPerSecond_ = verdict_ == WatchVerdict::Watch ? bps : 0;
    return verdict_;
}

bool WatchLikeness::KeepsTheBeat(const PulseTrain &pulses) const
{
    const double bps = pulses.beatsPerSecond;
    return bps > 0 && std::isfinite(bps) && pulses.samplesPerSecond > 0 &&
           pulses.times.size() >= kLeastPulses && Keeps(pulses, kStayWatch, true);
}

bool WatchLikeness::Keeps(const PulseTrain &pulses, double share, bool strays) const
{
    const double bps = pulses.beatsPerSecond;
    if (!pulses.beatRateByHand && !StandardBeatRate(bps))
        return false;
    const bool widthsKnown = pulses.widths.size() == pulses.times.size();
    const double width =
        widthsKnown ? median(std::vector<double>(pulses.widths.begin(), pulses.widths.end())) : 0;
    // The pulses keep the beat rate in use, or twice it: a counter that heard only the louder
    // of tick and tock counted half the beats, and the measures then take every other one.
    for (const int beatsPerPeriod : {1, 2}) {
        const double period = pulses.samplesPerSecond / bps / beatsPerPeriod;
        const bool standard = pulses.beatRateByHand || StandardBeatRate(bps * beatsPerPeriod);
        const double agreeing =
            strays ? ShareWithoutStrays(pulses.times, period) : AgreeingShare(pulses.times, period);
        if (standard && width <= kWidestPulse * period && agreeing >= share)
            return true;
    }
    return false;
}

} // namespace tamsel
