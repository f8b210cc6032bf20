#include "measurement/averaging/RiseStart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <vector>

#include "measurement/averaging/BandBank.h"

namespace tamsel::riseStart {

namespace {

// Input samples (9 ms): a longer swell is drawn on as this one is, late by the smoothing's delay.
constexpr int kLongestSwell = 400;
constexpr int kStep = BandBank::kDecimation;
// The band filters follow a ring's amplitude with about this time constant (input samples): a
// swell comes out of them later still, a burst as it struck. Found by passing swells of each
// length through the band bank and timing them against their known start.
constexpr double kFilterFollows = 6;
// A struck ring's energy takes a quarter of its cycle to swing to its height: at the few kHz a
// watch rings at, about 4 input samples.
constexpr int kBurstSwell = 4;

struct Crossings {
    double low = 0, middle = 0; // input samples after the swell began
};

// A ring whose amplitude grows steadily over `swell` input samples and then holds, through the
// band bank's envelope: followed by the filters, squared, smoothed twice, its square root. A template
// averages beats taken at every phase of the decimation, so it is the envelope averaged over one decimation
// step, sampled every step from each offset in turn; the crossings are the mean over the offsets.
Crossings crossingsOf(double lowShare, int swell)
{
    constexpr int kLength = kLongestSwell + 64;
    std::vector<double> envelope(kLength);
    double e1 = 0, e2 = 0, ringing = 0;
    const double follow = 1 - std::exp(-1.0 / kFilterFollows);
    for (int n = 0; n < kLength; ++n) {
        ringing += follow * (std::min(1.0, (n + 1.0) / std::max(swell, 1)) - ringing);
        const double amplitude = ringing;
        e1 += BandBank::kSmoothing * (amplitude * amplitude - e1);
        e2 += BandBank::kSmoothing * (e1 - e2);
        envelope[static_cast<size_t>(n)] = std::sqrt(e2);
    }
    const auto averaged = [&](int n) {
        double sum = 0;
        for (int k = 0; k < kStep; ++k)
            sum += n - k >= 0 && n - k < kLength ? envelope[static_cast<size_t>(n - k)] : 0;
        return sum / kStep;
    };
    // Where `level` is first crossed, in input samples after the swell began.
    const auto crossing = [&](int offset, double level) {
        double before = averaged(offset - kStep);
        for (int n = offset; n < kLength; n += kStep) {
            const double now = averaged(n);
            if (now >= level)
                return n - kStep + kStep * (level - before) / (now - before);
            before = now;
        }
        return static_cast<double>(kLength);
    };
    Crossings mean;
    for (int offset = 0; offset < kStep; ++offset) {
        mean.low += crossing(offset, lowShare) / kStep;
        mean.middle += crossing(offset, kMiddleShare) / kStep;
    }
    return mean;
}

constexpr size_t kShares = std::size(kLowShares);

const std::vector<Crossings> &table(int share)
{
    static const std::array<std::vector<Crossings>, kShares> tables = [] {
        std::array<std::vector<Crossings>, kShares> all;
        for (size_t s = 0; s < kShares; ++s)
            for (int swell = 0; swell <= kLongestSwell; ++swell)
                all[s].push_back(crossingsOf(kLowShares[s], swell));
        return all;
    }();
    return tables[static_cast<size_t>(std::clamp(share, 0, static_cast<int>(kShares) - 1))];
}

} // namespace

Rise from(int share, double low, double middle)
{
    const std::vector<Crossings> &swells = table(share);
    const double lowShare = kLowShares[std::clamp(share, 0, static_cast<int>(kShares) - 1)];
    const double spacing = (middle - low) * kStep; // input samples
    // The swell whose crossings lie as far apart: the longer the swell, the further.
    size_t i = 1;
    while (i + 1 < swells.size() && swells[i].middle - swells[i].low < spacing)
        ++i;
    const Crossings &a = swells[i - 1], &b = swells[i];
    const double da = a.middle - a.low, db = b.middle - b.low;
    const double w = db > da ? std::clamp((spacing - da) / (db - da), 0.0, 1.0) : 0.0;
    // Beyond the longest swell, its delay stands and the rise is drawn on straight.
    const double beyond = std::max(0.0, spacing - db) * lowShare / (kMiddleShare - lowShare);
    const double swell = static_cast<double>(i - 1) + w + (w >= 1 ? spacing - db : 0.0);
    return {low - (a.low + w * (b.low - a.low) + (w >= 1 ? beyond : 0.0)) / kStep, swell};
}

double burstCrossing(double share)
{
    return crossingsOf(share, kBurstSwell).low / kStep;
}

} // namespace tamsel::riseStart
