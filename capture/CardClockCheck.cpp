#include "capture/CardClockCheck.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "measurement/Median.h"

namespace tamsel {

namespace {

// A block whose earliest arrival lies this far above the line, in robust standard deviations
// of the minima's scatter, was late throughout (a stall longer than the block): left out of the
// uncertainty.
constexpr double kLateBlock = 4;
// A floor under that scatter, so that a perfectly regular stream rejects nothing.
constexpr double kLeastScatter = 20e-6;
// The slopes searched: a card a thousand times worse than a poor one is no card.
constexpr double kSteepest = 0.05;

} // namespace

void CardClockCheck::arrived(int64_t nanoseconds, int64_t samples)
{
    Segment &s = segments_.back();
    if (!s.started) {
        s.started = true;
        s.origin = nanoseconds;
    }
    const double x = static_cast<double>(samples) / nominalRate_;
    const Point p{x, static_cast<double>(nanoseconds - s.origin) * 1e-9 - x};
    if (!s.hull.empty() && p.x <= s.hull.back().x)
        return; // no new sample: nothing to time
    ++s.arrivals;
    s.sumX += p.x;
    // The lower hull, x rising: a vertex above the chord from the one before it to p goes.
    while (s.hull.size() >= 2) {
        const Point &a = s.hull[s.hull.size() - 2], &b = s.hull.back();
        if ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x) > 0)
            break;
        s.hull.pop_back();
    }
    s.hull.push_back(p);

    const auto block = static_cast<int64_t>(std::floor(x / kBlockSeconds));
    if (block != s.blockIndex) {
        if (s.blockArrivals > 0)
            s.minima.push_back(s.blockLeast);
        s.blockIndex = block;
        s.blockArrivals = 0;
    }
    if (s.blockArrivals == 0 || p.y < s.blockLeast.y)
        s.blockLeast = p;
    ++s.blockArrivals;
}

void CardClockCheck::newSegment()
{
    if (segments_.back().started)
        segments_.emplace_back();
}

void CardClockCheck::reset(double nominalRate)
{
    nominalRate_ = nominalRate;
    segments_.assign(1, Segment{});
}

// The sum of the arrivals' heights above the line falls with the slope b while the arrivals
// the line touches lie left of their segment's mean, and rises once they lie right of it: its
// least is where they balance, found by halving.
double CardClockCheck::envelopeSlope() const
{
    const auto balance = [this](double b) {
        double sum = 0;
        for (const Segment &s : segments_) {
            if (s.hull.size() < 2)
                continue;
            const Point *touching = &s.hull.front();
            for (const Point &p : s.hull)
                if (p.y - b * p.x < touching->y - b * touching->x)
                    touching = &p;
            sum += s.arrivals * touching->x - s.sumX;
        }
        return sum;
    };
    double low = -kSteepest, high = kSteepest;
    for (int i = 0; i < 64; ++i) {
        const double middle = (low + high) / 2;
        (balance(middle) < 0 ? low : high) = middle;
    }
    return (low + high) / 2;
}

std::optional<double> CardClockCheck::slopeUncertainty(double slope) const
{
    std::vector<std::vector<Point>> kept;
    for (const Segment &s : segments_)
        if (s.minima.size() >= 2)
            kept.push_back(s.minima);
    for (int pass = 0; pass < 2; ++pass) {
        double sxx = 0, sxy = 0, ssr = 0;
        size_t points = 0, groups = 0;
        std::vector<std::vector<double>> residuals;
        std::vector<double> all;
        for (const std::vector<Point> &g : kept) {
            std::vector<double> r;
            if (g.size() >= 2) {
                double mx = 0, my = 0;
                for (const Point &p : g) {
                    mx += p.x / static_cast<double>(g.size());
                    my += p.y / static_cast<double>(g.size());
                }
                for (const Point &p : g) {
                    r.push_back(p.y - my - slope * (p.x - mx));
                    ssr += r.back() * r.back();
                    sxx += (p.x - mx) * (p.x - mx);
                    sxy += (p.x - mx) * (p.y - my);
                }
                all.insert(all.end(), r.begin(), r.end());
                points += g.size();
                ++groups;
            }
            residuals.push_back(std::move(r));
        }
        if (static_cast<int>(points) < kLeastBlocks || sxx <= 0)
            return std::nullopt;
        if (pass == 1) {
            // The minima's own line disagreeing with the envelope's is uncertainty too: the
            // envelope rests on a few earliest arrivals.
            const double disagreement = sxy / sxx - slope;
            return std::sqrt(ssr / static_cast<double>(points - groups - 1) / sxx + disagreement * disagreement);
        }
        const double centre = medianInPlace(std::span<double>(all));
        for (double &r : all)
            r = std::fabs(r - centre);
        const double scatter = std::max(1.4826 * medianInPlace(std::span<double>(all)), kLeastScatter);
        for (size_t g = 0; g < kept.size(); ++g) {
            std::vector<Point> onTime;
            for (size_t i = 0; i < residuals[g].size(); ++i)
                if (residuals[g][i] <= centre + kLateBlock * scatter)
                    onTime.push_back(kept[g][i]);
            kept[g] = std::move(onTime);
        }
    }
    return std::nullopt;
}

std::optional<CardClockCheck::Result> CardClockCheck::result() const
{
    const double slope = envelopeSlope();
    const std::optional<double> u = slopeUncertainty(slope);
    if (!u)
        return std::nullopt;
    // Arrival less nominal audio time falls by e/(1+e) a second of audio for a card fast by e.
    const double error = -slope / (1 + slope);
    return Result{error * 1e6, *u / ((1 + slope) * (1 + slope)) * 1e6, seconds()};
}

double CardClockCheck::seconds() const
{
    double seconds = 0;
    for (const Segment &s : segments_)
        if (s.hull.size() >= 2)
            seconds += s.hull.back().x - s.hull.front().x;
    return seconds;
}

std::optional<double> CardClockCheck::secondsUntil(double ppm) const
{
    const std::optional<Result> r = result();
    if (!r || ppm <= 0)
        return std::nullopt;
    if (r->uncertaintyPpm <= ppm)
        return 0.0;
    return r->seconds * (std::pow(r->uncertaintyPpm / ppm, 2.0 / 3) - 1);
}

} // namespace tamsel
