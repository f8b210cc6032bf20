#include "measurement/averaging/BeatTemplate.h"
#include "measurement/WideLoops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include "measurement/Median.h"
#include "measurement/averaging/PeakOffset.h"
#include "measurement/averaging/RiseStart.h"

namespace tamsel {

namespace {

// A sub-event's peak stands at least this share of the template's range above its floor, and
// well out of the floor's own unevenness...
constexpr double kSubEventShare = 0.05;
constexpr double kSubEventSpreads = 6;
// The drop is the last sub-event of the lift however faint, so long as it stands out of the
// noise (as every sub-event does) and reaches this share of the loudest...
constexpr double kDropShare = 0.15;
// ...and is not an echo: clearly quieter than a sub-event this shortly before it (2 ms at
// 11 025/s), whose ring it rides on.
constexpr double kEchoReach = 22;
constexpr double kEchoShare = 0.7;
// ...and is the highest point within this many samples (0.5 ms at 11 025/s) either way.
constexpr int kSubEventReach = 6;

// A low share must stand this many times the template's noise above the level it rises from.
constexpr double kLowShareNoises = 4;
// A burst, struck at once, is timed where it has risen this share of the way up from the floor;
// a swell (RiseStart) from where its rise began, the more so the longer it swells: from a
// fraction of a millisecond to a millisecond (input samples).
constexpr double kBurstRiseShare = 0.3;
constexpr double kBurstSwell = 20, kSwell = 44;

// Where the shape last rose through `level` before `peak`, between samples, walking down from
// the peak no further than the sub-event before it; whether it got there.
struct Crossed {
    double at;
    bool walkedToPrevious;
};
Crossed crossedAt(const std::vector<float> &shape, int peak, int previousPeak, double level)
{
    int i = peak;
    while (i > previousPeak + 1 && shape[static_cast<size_t>(i - 1)] > level)
        --i;
    if (i == 0)
        return {0, false};
    const double below = shape[static_cast<size_t>(i - 1)], above = shape[static_cast<size_t>(i)];
    return {i - 1 + (above > below ? (level - below) / (above - below) : 1.0),
            i == previousPeak + 1 && below > level};
}

// Where a burst has risen kBurstRiseShare of its height above the floor, between samples; one
// riding on the ring of the sub-event before it, which never falls that low, rises from the
// valley between them.
double burstRise(const std::vector<float> &shape, int peak, int previousPeak, double floor)
{
    const double top = shape[static_cast<size_t>(peak)];
    const Crossed fromFloor = crossedAt(shape, peak, previousPeak, floor + kBurstRiseShare * (top - floor));
    if (!fromFloor.walkedToPrevious)
        return fromFloor.at;
    const double valley =
        *std::min_element(shape.begin() + std::max(previousPeak, 0), shape.begin() + peak + 1);
    return crossedAt(shape, peak, previousPeak, valley + kBurstRiseShare * (top - valley)).at;
}

// How long after it struck a burst crosses kBurstRiseShare of its height (envelope samples).
double burstDelay()
{
    static const double delay = riseStart::burstCrossing(kBurstRiseShare);
    return delay;
}

// The first sub-event's start: a burst's where it has risen a share of its height, a swell's
// from where its rise began (RiseStart, from where it crosses a low and a middle share of its
// height above the floor, the low share as low as the noise allows).
double riseOf(const std::vector<float> &shape, int peak, double floor, double noise)
{
    const double base =
        std::max(floor, static_cast<double>(*std::min_element(shape.begin(), shape.begin() + peak + 1)));
    const double height = shape[static_cast<size_t>(peak)] - base;
    int share = 0;
    while (share + 1 < static_cast<int>(std::size(riseStart::kLowShares)) &&
           riseStart::kLowShares[share] * height < kLowShareNoises * noise)
        ++share;
    const double low = crossedAt(shape, peak, 0, base + riseStart::kLowShares[share] * height).at;
    const double middle = crossedAt(shape, peak, 0, base + riseStart::kMiddleShare * height).at;
    const riseStart::Rise rise = riseStart::from(share, low, middle);
    const double burst = burstRise(shape, peak, 0, floor) - burstDelay();
    const double swelling = std::clamp((rise.swell - kBurstSwell) / (kSwell - kBurstSwell), 0.0, 1.0);
    return std::max(0.0, burst + swelling * (rise.start - burst));
}

void normalise(std::vector<float> &v)
{
    double sum = 0, squares = 0;
    for (float x : v)
        sum += x;
    const double mean = sum / static_cast<double>(v.size());
    for (float &x : v) {
        x = static_cast<float>(x - mean);
        squares += static_cast<double>(x) * x;
    }
    const double spread = std::sqrt(squares / static_cast<double>(v.size()));
    for (float &x : v)
        x = spread > 0 ? static_cast<float>(x / spread) : 0.0f;
}

} // namespace

void BeatTemplate::start(const std::vector<float> &shape)
{
    shape_ = shape;
    normalise(shape_);
    beats_ = 1;
    measure();
}

void BeatTemplate::measure()
{
    double sum = 0, squares = 0;
    for (float v : shape_)
        sum += v;
    mean_ = shape_.empty() ? 0 : sum / static_cast<double>(shape_.size());
    for (float v : shape_)
        squares += (v - mean_) * (v - mean_);
    spread_ = shape_.empty() ? 0 : std::sqrt(squares / static_cast<double>(shape_.size()));
}

// The template's dot product with the window at each lag. Each is summed in the template's
// order; four lags go side by side, so that their sums do not wait on one another.
TAMSEL_WIDE_LOOPS std::vector<double> BeatTemplate::dotsAtLags(const std::vector<float> &window,
                                                               int lags) const
{
    const size_t n = shape_.size();
    std::vector<double> dots(static_cast<size_t>(lags));
    size_t lag = 0;
    for (; lag + 4 <= dots.size(); lag += 4) {
        std::array<double, 4> sums{};
        const float *w = window.data() + lag;
        for (size_t i = 0; i < n; ++i) {
            const double s = shape_[i];
            for (size_t k = 0; k < 4; ++k)
                sums[k] += s * w[i + k];
        }
        std::copy(sums.begin(), sums.end(), dots.begin() + static_cast<std::ptrdiff_t>(lag));
    }
    for (; lag < dots.size(); ++lag) {
        const float *w = window.data() + lag;
        for (size_t i = 0; i < n; ++i)
            dots[lag] += static_cast<double>(shape_[i]) * w[i];
    }
    return dots;
}

BeatTemplate::Match BeatTemplate::match(const EnvelopeRing &envelope, int64_t from, int reach) const
{
    Match best;
    const int n = length();
    if (n == 0 || !envelope.holds(from - reach, from + reach + n))
        return best;
    std::vector<float> x(static_cast<size_t>(n + 2 * reach));
    envelope.copy(from - reach, static_cast<int64_t>(x.size()), x.data());
    std::vector<double> fits(static_cast<size_t>(2 * reach + 1));
    double sum = 0, squares = 0;
    for (int i = 0; i < n; ++i) {
        sum += x[static_cast<size_t>(i)];
        squares += static_cast<double>(x[static_cast<size_t>(i)]) * x[static_cast<size_t>(i)];
    }
    const std::vector<double> dots = dotsAtLags(x, 2 * reach + 1);
    int bestLag = 0;
    for (int lag = 0; lag <= 2 * reach; ++lag) {
        if (lag > 0) { // slide the window's sums by one sample
            const double out = x[static_cast<size_t>(lag - 1)], in = x[static_cast<size_t>(lag + n - 1)];
            sum += in - out;
            squares += in * in - out * out;
        }
        const double dot = dots[static_cast<size_t>(lag)];
        const double variance = squares / n - (sum / n) * (sum / n);
        const double spreads = std::sqrt(std::max(variance, 0.0)) * spread_;
        const double fit = spreads > 0 ? (dot / n - mean_ * (sum / n)) / spreads : -1;
        fits[static_cast<size_t>(lag)] = fit;
        if (fit > fits[static_cast<size_t>(bestLag)])
            bestLag = lag;
    }
    double offset = 0;
    if (bestLag > 0 && bestLag < 2 * reach)
        offset = peakOffset(fits[static_cast<size_t>(bestLag - 1)], fits[static_cast<size_t>(bestLag)],
                            fits[static_cast<size_t>(bestLag + 1)]);
    best.offset = bestLag - reach + offset;
    best.fit = fits[static_cast<size_t>(bestLag)];
    return best;
}

void BeatTemplate::learn(const EnvelopeRing &envelope, int64_t from)
{
    const int n = length();
    if (n == 0 || !envelope.holds(from, from + n))
        return;
    std::vector<float> beat(static_cast<size_t>(n));
    envelope.copy(from, n, beat.data());
    normalise(beat);
    beats_ = std::min(beats_ + 1, kMostBeats);
    const float weight = 1.0f / static_cast<float>(beats_);
    for (int i = 0; i < n; ++i)
        shape_[static_cast<size_t>(i)] +=
            weight * (beat[static_cast<size_t>(i)] - shape_[static_cast<size_t>(i)]);
    measure();
}

double BeatTemplate::shiftTo(const BeatTemplate &other) const
{
    const int n = std::min(length(), other.length());
    const int reach = n / 3;
    if (n == 0)
        return 0;
    std::vector<double> fits(static_cast<size_t>(2 * reach + 1));
    int best = reach;
    for (int s = -reach; s <= reach; ++s) {
        double dot = 0, aa = 0, bb = 0;
        for (int i = std::max(0, -s); i < std::min(n, n - s); ++i) {
            const double a = shape_[static_cast<size_t>(i)], b = other.shape_[static_cast<size_t>(i + s)];
            dot += a * b;
            aa += a * a;
            bb += b * b;
        }
        const double fit = aa > 0 && bb > 0 ? dot / std::sqrt(aa * bb) : -1;
        fits[static_cast<size_t>(s + reach)] = fit;
        if (fit > fits[static_cast<size_t>(best)])
            best = s + reach;
    }
    double offset = 0;
    if (best > 0 && best < 2 * reach)
        offset = peakOffset(fits[static_cast<size_t>(best - 1)], fits[static_cast<size_t>(best)],
                            fits[static_cast<size_t>(best + 1)]);
    return best - reach + offset;
}

std::vector<float> BeatTemplate::combinedWith(const BeatTemplate &other, double shift) const
{
    std::vector<float> both(shape_);
    const int n = std::min(length(), other.length());
    for (int i = 0; i < n; ++i) {
        const double at = i + shift;
        const auto j = static_cast<int>(std::floor(at));
        if (j < 0 || j + 1 >= other.length())
            continue;
        const double w = at - j;
        const double moved =
            (1 - w) * other.shape_[static_cast<size_t>(j)] + w * other.shape_[static_cast<size_t>(j + 1)];
        both[static_cast<size_t>(i)] = static_cast<float>(0.5 * (both[static_cast<size_t>(i)] + moved));
    }
    return both;
}

BeatTemplate::SubEvents BeatTemplate::subEventsOf(const std::vector<float> &shape_, int gap)
{
    SubEvents events;
    const int n = static_cast<int>(shape_.size());
    if (n == 0)
        return events;
    std::vector<float> sorted(shape_);
    std::nth_element(sorted.begin(), sorted.begin() + n / 5, sorted.end());
    const double floor = sorted[static_cast<size_t>(n / 5)];
    const double middle = medianInPlace(std::span<float>(sorted));
    for (float &v : sorted)
        v = std::fabs(v - static_cast<float>(middle));
    const double spread = 1.4826 * medianInPlace(std::span<float>(sorted));
    events.noise = spread;
    const auto top = std::max_element(shape_.begin(), shape_.end());
    const int peakAt = static_cast<int>(top - shape_.begin());
    const double least =
        std::max(floor + kSubEventShare * (*top - floor), middle + kSubEventSpreads * spread);
    std::vector<int> peaks;
    for (int i = 1; i + 1 < n; ++i) {
        const float v = shape_[static_cast<size_t>(i)];
        if (v < least)
            continue;
        bool highest = true;
        for (int j = std::max(0, i - kSubEventReach); j <= std::min(n - 1, i + kSubEventReach) && highest;
             ++j) {
            const float u = shape_[static_cast<size_t>(j)];
            highest = j == i || (u < v || (u == v && j > i)); // the first of equal samples
        }
        if (highest)
            peaks.push_back(i);
    }
    // The cluster around the template's peak.
    auto main = std::find(peaks.begin(), peaks.end(), peakAt);
    if (main == peaks.end())
        return events;
    auto first = main, last = main;
    while (first != peaks.begin() && *first - *(first - 1) <= gap)
        --first;
    while (last + 1 != peaks.end() && *(last + 1) - *last <= gap)
        ++last;
    for (auto p = first; p <= last; ++p) {
        // A later sub-event rises out of the ring of the one before: timed as a burst.
        events.rises.push_back(p == first ? riseOf(shape_, *p, floor, spread)
                                          : burstRise(shape_, *p, *(p - 1), floor) - burstDelay());
        events.heights.push_back(shape_[static_cast<size_t>(*p)] - floor);
    }
    return events;
}

double BeatTemplate::SubEvents::clarity() const
{
    if (heights.empty() || !(noise > 0))
        return heights.empty() ? 0 : HUGE_VAL;
    return std::min(heights.front(), *std::max_element(heights.begin(), heights.end())) / noise;
}

// The sub-event ringing just before the i-th, within an echo's reach, louder than it by
// `share`; none: -1.
long BeatTemplate::SubEvents::louderBefore(size_t i, double share) const
{
    for (size_t j = i; j-- > 0 && rises[i] - rises[j] <= kEchoReach;)
        if (share * heights[j] > heights[i])
            return static_cast<long>(j);
    return -1;
}

std::vector<size_t> BeatTemplate::SubEvents::dropCandidates() const
{
    std::vector<size_t> candidates;
    if (rises.empty())
        return candidates;
    const double loudest = *std::max_element(heights.begin(), heights.end());
    for (size_t i = 1; i < rises.size(); ++i)
        if (heights[i] >= kDropShare * loudest && louderBefore(i, kEchoShare) < 0)
            candidates.push_back(i);
    return candidates;
}

double BeatTemplate::liftOf(const SubEvents &tick, const SubEvents &tock, double mostDifference)
{
    const auto lift = [](const SubEvents &e, size_t i) { return e.rises[i] - e.rises.front(); };
    // The tock's sub-event nearest a lift of the tick's, if it lies close enough; none: -1.
    const auto closest = [&](double to) -> long {
        long best = -1;
        for (size_t i = 1; i < tock.rises.size(); ++i)
            if (std::fabs(lift(tock, i) - to) <= mostDifference &&
                (best < 0 ||
                 std::fabs(lift(tock, i) - to) < std::fabs(lift(tock, static_cast<size_t>(best)) - to)))
                best = static_cast<long>(i);
        return best;
    };
    const std::vector<size_t> ticks = tick.dropCandidates();
    for (auto t = ticks.rbegin(); t != ticks.rend(); ++t) {
        const double tickLift = lift(tick, *t);
        const long k = closest(tickLift);
        if (k < 0)
            return 0; // the tick's drop must show in the tock too
        // The drop's own echo follows it in both beats: quieter than a sub-event just before
        // it that both beats also show. Then that one is the drop.
        const long tickBefore = tick.louderBefore(*t, 1),
                   tockBefore = tock.louderBefore(static_cast<size_t>(k), 1);
        if (tickBefore > 0 && tockBefore > 0 &&
            closest(lift(tick, static_cast<size_t>(tickBefore))) == tockBefore)
            continue;
        return (tickLift + lift(tock, static_cast<size_t>(k))) / 2;
    }
    return 0;
}

} // namespace tamsel
