// The sound card's rate read off the arrival times of its buffers, as a desktop delivers them:
// late by the server's fragments, the scheduler and the odd busy moment, now and then held up
// for seconds, and once restarted.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "capture/CardClockCheck.h"

using namespace tamsel;

namespace {

constexpr int64_t kBuffer = 11025; // a quarter second

// Feeds `seconds` of a card running `ppm` fast; returns the check's result at each minute. The
// delays: 1.5 ms at least, a 10 ms fragment's wait, the scheduler's (2 ms on average), and one
// buffer in twenty held 20-80 ms by a busy window.
struct Desktop {
    double ppm;
    uint32_t seed;
    double stallAt = 500;    // s: the window busy this long, buffers waiting meanwhile
    double stallFor = 3;
    double restartAt = 1000; // s: the stream restarted, its count from 0 again

    std::vector<CardClockCheck::Result> run(CardClockCheck &check, double seconds) const
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> fragment(0, 0.010);
        std::exponential_distribution<double> scheduler(1 / 0.002);
        std::uniform_real_distribution<double> chance(0, 1), busy(0.02, 0.08);
        const double trueRate = 44100 * (1 + ppm * 1e-6);
        std::vector<CardClockCheck::Result> minutes;
        int64_t samples = 0;
        double segmentStart = 0.731; // the monotonic clock's reading at the stream's start
        bool restarted = false;
        for (int64_t n = kBuffer;; n += kBuffer) {
            const double captured = segmentStart + static_cast<double>(n - samples) / trueRate;
            if (captured - 0.731 > seconds)
                break;
            double arrival = captured + 0.0015 + fragment(random) + scheduler(random);
            if (chance(random) < 0.05)
                arrival += busy(random);
            if (captured > stallAt && captured < stallAt + stallFor)
                arrival = std::max(arrival, stallAt + stallFor + 0.7313);
            if (!restarted && captured > restartAt) {
                restarted = true;
                check.newSegment();
                samples = n - kBuffer;
                segmentStart = captured + 0.35; // audio lost while the stream came back
                continue;
            }
            check.arrived(std::llround(arrival * 1e9), n - samples);
            const double minute = std::floor((captured - 0.731) / 60);
            if (minute > static_cast<double>(minutes.size()))
                if (const auto r = check.result())
                    minutes.push_back(*r);
        }
        return minutes;
    }
};

} // namespace

TEST(CardClockCheck, ReadsTheCardsRateThroughJitterAStallAndARestart)
{
    for (const double ppm : {37.0, -83.0, 0.0}) {
        for (uint32_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(testing::Message() << ppm << " ppm, seed " << seed);
            CardClockCheck check;
            const std::vector<CardClockCheck::Result> minutes = Desktop{ppm, seed}.run(check, 1800);
            ASSERT_GE(minutes.size(), 25u);
            const CardClockCheck::Result last = *check.result();
            EXPECT_NEAR(last.ppm, ppm, 0.5);
            EXPECT_NEAR(last.ppm, ppm, 4 * last.uncertaintyPpm) << "an uncertainty that means something";
            EXPECT_LT(last.uncertaintyPpm, minutes.front().uncertaintyPpm / 4) << "it shrinks as the run goes on";
            EXPECT_NEAR(last.secondsPerDay(), ppm * 0.0864, 0.05);
            // 0.1 s/day is 1.16 ppm: reached within the run, and said so.
            EXPECT_EQ(check.secondsUntil(0.1 / 0.0864), 0.0);
        }
    }
}

TEST(CardClockCheck, SaysHowLongUntilTheUncertaintyIsSmallEnough)
{
    CardClockCheck check;
    Desktop{37, 9, 1e9, 0, 1e9}.run(check, 40);
    ASSERT_TRUE(check.result().has_value());
    const std::optional<double> left = check.secondsUntil(0.01);
    ASSERT_TRUE(left.has_value());
    EXPECT_GT(*left, 60) << "0.01 ppm is far off after 40 s";

    // Run on for as long as it said: the uncertainty is then near what was asked.
    CardClockCheck longer;
    Desktop{37, 9, 1e9, 0, 1e9}.run(longer, 40 + *left);
    EXPECT_LT(longer.result()->uncertaintyPpm, 0.03);

    CardClockCheck none;
    EXPECT_FALSE(none.result().has_value()) << "nothing before the blocks are enough to judge";
    EXPECT_FALSE(none.secondsUntil(1).has_value());
}
