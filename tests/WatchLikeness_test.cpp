// The one test of what a watch looks like, on pulse trains harder than a clean watch gives:
// beat error near the most shown, jitter, missed beats; and on random clicks, long pulses
// and beat rates no watch has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "measurement/WatchLikeness.h"

using namespace tamsel;

namespace {

constexpr double kRate = 44100;

// A watch's peaks: `beats` beats at `bps`, tocks late by `offset` of a beat interval, each
// peak moved by up to `jitter` of one, and the beats in `missed` silent.
std::vector<double> WatchTimes(double bps, int beats, double offset, double jitter,
                               const std::vector<int> &missed = {})
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> shake(-jitter, jitter);
    const double period = kRate / bps;
    std::vector<double> times;
    for (int k = 0; k < beats; ++k)
        if (std::find(missed.begin(), missed.end(), k) == missed.end())
            times.push_back(1000 + period * (k + ((k & 1) ? offset : 0) + shake(random)));
    return times;
}

WatchVerdict Judge(WatchLikeness &likeness, const std::vector<double> &times, double bps,
                   double widthShare = 0.08, bool byHand = false)
{
    const std::vector<double> widths(times.size(), widthShare * kRate / bps);
    PulseTrain train;
    train.times = times;
    train.widths = widths;
    train.beatsPerSecond = bps;
    train.beatRateByHand = byHand;
    train.samplesPerSecond = kRate;
    return likeness.Judge(train);
}

} // namespace

TEST(WatchLikeness, AWatchIsHeardThroughBeatErrorJitterAndAMissedBeat)
{
    for (const double bph : {7200.0, 18000.0, 19800.0, 21600.0, 28800.0, 36000.0}) {
        SCOPED_TRACE(bph);
        WatchLikeness likeness;
        const double bps = bph / 3600 * (1 + 200.0 / 86400); // gaining 200 s/day
        EXPECT_EQ(Judge(likeness, WatchTimes(bps, 14, 0.22, 0.02, {5, 9, 10}), bps), WatchVerdict::Watch);
        // Once heard, a missed beat and two stray pulses among the latest dozen keep it heard.
        std::vector<double> rough = WatchTimes(bps, 12, 0.1, 0.02, {3});
        rough.insert(rough.begin() + 10, rough[9] + (rough[10] - rough[9]) / 4);
        rough.insert(rough.begin() + 7, rough[6] + (rough[7] - rough[6]) / 4);
        EXPECT_EQ(Judge(likeness, rough, bps), WatchVerdict::Watch);
        WatchLikeness fresh;
        EXPECT_EQ(Judge(fresh, rough, bps), WatchVerdict::NoWatch) << "but not at first hearing";
    }
}

TEST(WatchLikeness, WhatIsNoWatch)
{
    WatchLikeness likeness;
    const std::vector<double> steady = WatchTimes(5, 12, 0, 0.01);
    EXPECT_EQ(Judge(likeness, steady, 5, 0.6), WatchVerdict::NoWatch) << "pulses as long as a beat";
    EXPECT_EQ(Judge(likeness, WatchTimes(21, 12, 0, 0.01), 21), WatchVerdict::NoWatch)
        << "a beat rate no watch has";
    EXPECT_EQ(Judge(likeness, WatchTimes(21, 12, 0, 0.01), 21, 0.08, true), WatchVerdict::Watch)
        << "unless set by hand";
    EXPECT_EQ(Judge(likeness, steady, 6), WatchVerdict::NoWatch) << "pulses that do not keep the beat rate";

    // Random clicks at about the beat rate: no dozen of them in a row is a watch.
    std::mt19937 random(11);
    std::exponential_distribution<double> gap(5.0 / kRate);
    std::vector<double> clicks{0};
    for (int i = 0; i < 3000; ++i)
        clicks.push_back(clicks.back() + 400 + gap(random));
    WatchLikeness listener;
    for (size_t end = 12; end <= clicks.size(); ++end) {
        const std::vector<double> latest(clicks.begin() + static_cast<std::ptrdiff_t>(end - 12),
                                         clicks.begin() + static_cast<std::ptrdiff_t>(end));
        ASSERT_NE(Judge(listener, latest, 5), WatchVerdict::Watch) << "clicks up to " << end;
    }
}

TEST(WatchLikeness, TooLittleToJudgeKeepsTheVerdict)
{
    WatchLikeness likeness;
    EXPECT_EQ(Judge(likeness, WatchTimes(5, 5, 0, 0), 5), WatchVerdict::Unsure);
    EXPECT_EQ(Judge(likeness, WatchTimes(5, 12, 0, 0), 0), WatchVerdict::Unsure) << "no beat rate yet";
    EXPECT_EQ(Judge(likeness, WatchTimes(5, 12, 0, 0), 5), WatchVerdict::Watch);
    EXPECT_EQ(Judge(likeness, WatchTimes(5, 3, 0, 0), 21), WatchVerdict::Watch);
    // Widths unknown (pulse mode): judged on the beat rate and the intervals alone.
    PulseTrain train;
    const std::vector<double> times = WatchTimes(8, 12, 0.1, 0.01);
    train.times = times;
    train.beatsPerSecond = 8;
    train.samplesPerSecond = kRate;
    EXPECT_EQ(WatchLikeness().Judge(train), WatchVerdict::Watch);
}

TEST(WatchLikeness, FiguresNoWatchCanShow)
{
    EXPECT_FALSE(WatchLikeness::PossibleAmplitude(99));
    EXPECT_TRUE(WatchLikeness::PossibleAmplitude(100));
    EXPECT_TRUE(WatchLikeness::PossibleAmplitude(360));
    EXPECT_TRUE(WatchLikeness::PossibleAmplitude(99.6)) << "the readout shows 100";
    EXPECT_FALSE(WatchLikeness::PossibleAmplitude(360.2)) << "past a full turn";
    EXPECT_FALSE(WatchLikeness::PossibleAmplitude(4051));
    EXPECT_TRUE(WatchLikeness::PossibleBeatError(50, 5)) << "a quarter of 200 ms";
    EXPECT_FALSE(WatchLikeness::PossibleBeatError(50.1, 5));
    EXPECT_FALSE(WatchLikeness::PossibleBeatError(6341, 5));
    EXPECT_FALSE(WatchLikeness::PossibleBeatError(std::nan(""), 5));
    EXPECT_FALSE(WatchLikeness::PossibleBeatError(1, 0)) << "no beat rate, no beat error";
    EXPECT_TRUE(WatchLikeness::StandardBeatRate(19800.0 / 3600));
    EXPECT_FALSE(WatchLikeness::StandardBeatRate(21));
    EXPECT_FALSE(WatchLikeness::StandardBeatRate(9));
}
