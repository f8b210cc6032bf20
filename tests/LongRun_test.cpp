// A long run read back from Tamsel's CSV log: the summary and isochronism fit of two hours of
// a watch whose amplitude falls while its rate runs away, the points kept within bounded
// memory, and refusal of what is not Tamsel's log or could not have been written by Tamsel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "measurement/CsvLogReader.h"
#include "measurement/LongRun.h"

using namespace tamsel;

namespace {

// 2026-12-07 10:00:00 plus `seconds`, as the log's stamp.
std::string stamp(int seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "\"20261207%02d%02d%02d\"", 10 + seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// Two hours of 1-second sweeps: amplitude 300 to 200 degrees, rate +6 to -4 s/day, each with
// a little scatter, as the CSV log holds them. Five minutes are missing (a restart) after the
// first hour, one sweep there has nothing measured yet, some have no amplitude, and the last
// line was cut short by a crash.
std::string twoHourLog()
{
    std::string log;
    for (int t = 0; t < 7200; ++t) {
        if (t >= 3600 && t < 3900)
            continue;
        const double f = t / 7200.0;
        const double wobble = std::sin(t * 12.9898) * 0.4;
        const double rate = std::round((6 - 10 * f + wobble) * 1000) / 1000;
        char line[160];
        if (t == 3900)
            std::snprintf(line, sizeof line, "%s,5.0,,,,0.0000000000000000000\r\n", stamp(t).c_str());
        else if (t % 97 == 0)
            std::snprintf(line, sizeof line, "%s,5.0,,%.3f,%.3f,%.19f\r\n", stamp(t).c_str(), 0.3 + wobble / 10,
                          rate, rate / 86400);
        else
            std::snprintf(line, sizeof line, "%s,5.0,%d,%.3f,%.3f,%.19f\r\n", stamp(t).c_str(),
                          static_cast<int>(std::lround(300 - 100 * f + 3 * wobble)), 0.3 + wobble / 10, rate,
                          rate / 86400);
        log += line;
    }
    return log + stamp(7200) + ",5.0,20";
}

TEST(LongRun, TwoHoursOfCsvLogGiveTheSummaryAndIsochronismOfTheWatch)
{
    LongRun run;
    run.series = SweepSeries(1000);
    const std::string log = twoHourLog();
    ASSERT_EQ(readCsvLog(log, [&run](const SweepPoint &p) { run.add(p); }), "");

    const RunSummary &s = run.summary;
    EXPECT_EQ(s.sweeps(), 7200 - 300 - 1);
    EXPECT_NEAR(s.rate().mean, 1.0, 0.3);
    EXPECT_NEAR(s.rate().max, 6, 0.5);
    EXPECT_NEAR(s.rate().min, -4, 0.5);
    EXPECT_NEAR(s.amplitude().spread(), 100, 10);
    ASSERT_TRUE(s.fit().slopePer100());
    EXPECT_NEAR(*s.fit().slopePer100(), -10, 1);
    EXPECT_DOUBLE_EQ(s.seconds(), 7200); // from one sweep before the first line to the last

    // Memory stays bounded, yet the points still span the run and the restart stays a gap.
    const auto &points = run.series.points();
    EXPECT_LE(points.size(), 1000u);
    EXPECT_GE(points.size(), 500u);
    EXPECT_EQ(points.front().seconds, 0);
    EXPECT_GT(points.back().seconds, 7100);
    int gaps = 0;
    for (size_t i = 1; i < points.size(); ++i)
        if (points[i].gapBefore) {
            ++gaps;
            EXPECT_GT(points[i].seconds, 3900);
            EXPECT_LT(points[i - 1].seconds, 3600);
        }
    EXPECT_EQ(gaps, 1);
}

TEST(LongRun, SummaryLineHasFullStopsAndEmptyFieldsForWhatIsNotKnown)
{
    LongRun run;
    run.add({0, 4.25, NAN, 0.5, false});
    run.add({10, -1.5, NAN, 0.7, false});
    EXPECT_EQ(run.summary.line(), "SUMMARY,20,1.375,-1.500,4.250,,,,0.600,0.700,");
    run.add({20, 2, 250, 0.1, false});
    run.add({30, 3, 260, 0.1, false});
    EXPECT_EQ(run.summary.line(), "SUMMARY,40,1.938,-1.500,4.250,255.0,250.0,260.0,0.350,0.700,-10.00");
}

TEST(LongRun, OnlyTamselsOwnLogIsRead)
{
    auto read = [](const std::string &text) { return readCsvLog(text, [](const SweepPoint &) {}); };
    EXPECT_EQ(read("\"20261207100000\",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n"), "");
    EXPECT_NE(read(""), "");
    EXPECT_NE(read("\r\n  \n"), "");
    for (const char *foreign : {
             "time,rate,amplitude\n\"20261207100000\",5.0,275,0.200,-3.125,0.0\r\n",
             "\"20261207100000\";5,0;275;0,200;-3,125;0,0\r\n",            // another program's CSV
             "\"20261207100000\",5.0,275,0.200,-3.125\r\n",                // a field short
             "\"20261307100000\",5.0,275,0.200,-3.125,0.0\r\n",            // month 13
             "\"20261207100000\",5.0,275 deg,0.200,-3.125,0.0\r\n",        // a unit left in
             "\"20261207100000\",5.0,275,0.200,1e3,0.0\r\n",               // not how the log writes
             "\"20261207100000\",5.0,275,0.200,12345678901,0.0\r\n",       // past any reading
             "\"20261207100000\",5.0,275,0.200,-3.125,0.0\r\ngarbage\r\n", // a whole line that is not
         })
        EXPECT_NE(read(foreign), "") << foreign;
}

// Lines Tamsel could not have written, each refused at its line: stamps that go back and forth
// (only a clock set back sends them back, once), days that are none, years no clock of a
// computer running Tamsel shows, and a beat rate, amplitude or beat error below zero.
TEST(LongRun, LogsTamselCouldNotHaveWrittenAreRefusedAtTheirLine)
{
    auto read = [](const std::vector<std::string> &stamps,
                   const std::string &values = "5.0,275,0.200,-3.125") {
        std::string log;
        for (const std::string &s : stamps)
            log += '"' + s + "\"," + values + ",-0.0000361689814814815\r\n";
        return readCsvLog(log, [](const SweepPoint &) {});
    };
    const std::vector<std::string> minutes = {"20261207100000", "20261207100100", "20261207100200",
                                              "20261207100300", "20261207100400"};
    EXPECT_EQ(read(minutes), "");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{minutes[2], minutes[1], minutes[0]}, "line 3 is out of order"},
        {{minutes[0], minutes[3], minutes[1], minutes[4], minutes[2]}, "line 5 is out of order"},
        {{"00010101000000", minutes[0]}, "line 1 "},
        {{minutes[0], "99991231235959"}, "line 2 "},
        {{minutes[0], "19691231235959"}, "line 2 "},
        {{minutes[0], "21000101000000"}, "line 2 "},
        {{"20260230100000"}, "line 1 "}, // 30 February
        {{"20260229100000"}, "line 1 "}, // 2026 is no leap year
        {{"20261131100000"}, "line 1 "}, // 31 November
        {{"20261207100060"}, "line 1 "}, // second 60
    };
    for (const auto &[stamps, error] : refused)
        EXPECT_EQ(read(stamps).find(error), 0u) << read(stamps) << " for " << stamps.back();
    EXPECT_EQ(read({"20280229100000", "19700101000000"}), "")
        << "a leap day, the first year, a clock set back";
    for (const char *values : {"5.0,-275,0.200,-3.125", "5.0,275,-0.200,-3.125", "-5.0,275,0.200,-3.125"})
        EXPECT_EQ(read(minutes, values), "line 1 is not a line of Tamsel's CSV log") << values;
    EXPECT_EQ(read(minutes, "5.0,,,-3.125"), "") << "a rate below zero is a watch that loses";
}

// Figures no watch gives nor Tamsel writes, refused at their line as junk is; a sweep whose
// watch had stopped (no beat rate, the readouts as they last stood) is no point.
TEST(LongRun, FiguresNoWatchGivesAreRefusedAtTheirLine)
{
    const std::string first = "\"20261207100000\",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n";
    const std::string last = "\"20261207100200\",5.0,276,0.210,-3.000,-0.0000347222222222222\r\n";
    std::vector<SweepPoint> points;
    auto read = [&](const std::string &second) {
        points.clear();
        return readCsvLog(first + "\"20261207100100\"," + second + "\r\n" + last,
                          [&](const SweepPoint &p) { points.push_back(p); });
    };
    const std::pair<const char *, const char *> refused[] = {
        {"5.0,5000,0.200,-3.125,-0.0000361689814814815", "line 2 holds an amplitude of 5000 degrees"},
        {"5.0,275,9999.000,-3.125,-0.0000361689814814815", "line 2 holds a beat error of 9999.000 ms"},
        {"0.0,275,9999.000,-3.125,-0.0000361689814814815", "line 2 holds a beat error of 9999.000 ms"},
        {"5.0,275,0.200,99999.000,1.1573958333333333333", "line 2 holds a rate of 99999.000 s/day"},
        {"900000.0,275,0.200,-3.125,-0.0000361689814814815", "line 2 holds a beat rate of 900000.0 a second"},
        {"5.0,275,0.200,-3.125,0.0000694444444444444", "line 2 holds a rate of -3.125 s/day that its ratio"},
    };
    for (const auto &[second, error] : refused)
        EXPECT_EQ(read(second).find(error), 0u) << read(second);
    EXPECT_EQ(readCsvLog(first + last + first, [](const SweepPoint &) {}), "line 3 repeats line 1");
    // The rate of two beats is the rest of the day its ratio leaves; silence has no rate.
    EXPECT_EQ(read("5.0,281,0.408,0.000,1.0000000000000000000"), "");
    EXPECT_EQ(read("0.0,,,,0.0000000000000000000"), "");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(read("0.0,280,0.476,9.796,0.0001133796296296296"), "");
    ASSERT_EQ(points.size(), 2u) << "the watch stopped: its last figures are no sweep's";
    EXPECT_TRUE(points[1].gapBefore);
}

// A live log whose clock is set back (the end of summer time) goes on, with a gap, and its time
// runs on: the length is never negative and no point comes before another.
TEST(LongRun, AClockSetBackIsAGapAndTheTimeRunsOn)
{
    std::string log;
    for (const char *at : {"20261025025900", "20261025025930", "20261025030000", "20261025020030",
                           "20261025020100", "20261025020130"})
        log += std::string("\"") + at + "\",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n";
    std::vector<SweepPoint> points;
    LongRun run;
    ASSERT_EQ(readCsvLog(log,
                         [&](const SweepPoint &p) {
                             points.push_back(p);
                             run.add(p);
                         }),
              "");
    ASSERT_EQ(points.size(), 6u);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_DOUBLE_EQ(points[i].seconds, 30.0 * static_cast<double>(i)) << i;
        EXPECT_EQ(points[i].gapBefore, i == 3) << i;
    }
    EXPECT_EQ(run.summary.line().rfind("SUMMARY,180,", 0), 0u) << run.summary.line();
}

} // namespace
