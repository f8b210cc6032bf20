#include "measurement/averaging/BeatLines.h"

#include <algorithm>
#include <cmath>

#include "measurement/Median.h"

namespace tamsel {

namespace {

constexpr int kLeastOfEachKind = 4;
constexpr double kStrayScatters = 4; // beats further off than this many scatters are set aside
constexpr double kLeastStray = 22;   // but never closer than half a millisecond

BeatLines leastSquares(const std::vector<PlacedBeat> &beats, const std::vector<bool> &use)
{
    BeatLines lines;
    double n[2] = {0, 0}, sk[2] = {0, 0}, st[2] = {0, 0};
    for (size_t i = 0; i < beats.size(); ++i) {
        if (!use[i])
            continue;
        const int kind = beats[i].tock ? 1 : 0;
        n[kind] += 1;
        sk[kind] += static_cast<double>(beats[i].cycle);
        st[kind] += beats[i].time;
    }
    if (n[0] < kLeastOfEachKind || n[1] < kLeastOfEachKind)
        return lines;
    const double mk[2] = {sk[0] / n[0], sk[1] / n[1]}, mt[2] = {st[0] / n[0], st[1] / n[1]};
    double skk = 0, skt = 0;
    for (size_t i = 0; i < beats.size(); ++i) {
        if (!use[i])
            continue;
        const int kind = beats[i].tock ? 1 : 0;
        const double dk = static_cast<double>(beats[i].cycle) - mk[kind];
        skk += dk * dk;
        skt += dk * (beats[i].time - mt[kind]);
    }
    if (skk <= 0)
        return lines;
    lines.cycle = skt / skk;
    lines.tickAt = mt[0] - lines.cycle * mk[0];
    lines.tockAt = mt[1] - lines.cycle * mk[1];
    lines.used = static_cast<int>(n[0] + n[1]);
    lines.valid = lines.cycle > 0;
    return lines;
}

double residual(const BeatLines &lines, const PlacedBeat &beat)
{
    return beat.time -
           ((beat.tock ? lines.tockAt : lines.tickAt) + lines.cycle * static_cast<double>(beat.cycle));
}

} // namespace

BeatLines BeatLines::fit(const std::vector<PlacedBeat> &beats)
{
    std::vector<bool> use(beats.size(), true);
    BeatLines lines = leastSquares(beats, use);
    // Twice: a first fit pulled by a stray beat may still set aside a good one.
    for (int round = 0; round < 2 && lines.valid; ++round) {
        std::vector<double> distance;
        for (const PlacedBeat &b : beats)
            distance.push_back(std::fabs(residual(lines, b)));
        const double scatter = 1.4826 * median(distance);
        const double limit = std::max(kStrayScatters * scatter, kLeastStray);
        for (size_t i = 0; i < beats.size(); ++i)
            use[i] = distance[i] <= limit;
        const BeatLines refit = leastSquares(beats, use);
        if (!refit.valid)
            break;
        lines = refit;
        lines.scatter = scatter;
    }
    return lines;
}

} // namespace tamsel
