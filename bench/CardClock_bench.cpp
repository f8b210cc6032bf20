// The sound card's check against the computer's clock: what it adds to each live buffer (one
// arrival timed and put on the lower hull), and what a reading costs (the window asks once a
// second) after a minute, an hour and a day of buffers. Compare with the whole buffer handler
// of Acquisition_bench.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "capture/CardClockCheck.h"
#include "capture/ComputerClock.h"

using namespace tamsel;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    constexpr int64_t kBuffer = 11025;
    constexpr double kCardRate = 44100 * (1 + 37e-6);
    std::mt19937 random(5);
    std::exponential_distribution<double> scheduler(1 / 0.003);
    std::uniform_real_distribution<double> chance(0, 1), busy(0.01, 0.08);
    CardClockCheck check;
    double timing = 0;
    int64_t buffers = 0;
    for (const double upTo : {60.0, 3600.0, 86400.0}) {
        for (; static_cast<double>(buffers * kBuffer) / kCardRate < upTo; ++buffers) {
            double arrival = static_cast<double>((buffers + 1) * kBuffer) / kCardRate + scheduler(random);
            if (chance(random) < 0.03)
                arrival += busy(random);
            const auto start = std::chrono::steady_clock::now();
            check.arrived(std::llround(arrival * 1e9), (buffers + 1) * kBuffer);
            timing += secondsSince(start);
        }
        const auto start = std::chrono::steady_clock::now();
        const auto r = check.result();
        const double reading = secondsSince(start);
        std::printf("after %6.0f s: %.3f ppm ± %.3f; a reading %.3f ms\n", upTo, r ? r->ppm : NAN,
                    r ? r->uncertaintyPpm : NAN, reading * 1e3);
    }
    // Reading the monotonic clock, which the capture session does once a buffer.
    const auto start = std::chrono::steady_clock::now();
    int64_t last = 0;
    for (int i = 0; i < 100000; ++i)
        last = std::max(last, monotonicNanoseconds());
    const double clockRead = secondsSince(start) / 100000;
    std::printf("per buffer: %.0f ns to time its arrival (mean of %lld), %.0f ns to read the clock\n",
                timing / static_cast<double>(buffers) * 1e9, static_cast<long long>(buffers),
                clockRead * 1e9);
    return 0;
}
