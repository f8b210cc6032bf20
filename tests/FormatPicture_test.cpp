#include <clocale>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "measurement/FormatPicture.h"

using tamsel::FormatPicture;

TEST(FormatPicture, PicturesInUse)
{
    EXPECT_EQ(FormatPicture("00.0", 5.5), "05.5");
    EXPECT_EQ(FormatPicture("0 deg", 282), "282 deg");
    EXPECT_EQ(FormatPicture("0000", 5), "0005");
    EXPECT_EQ(FormatPicture("00000", 18000), "18000");
    EXPECT_EQ(FormatPicture("0.000 msec", 0.2268), "0.227 msec");
    EXPECT_EQ(FormatPicture("0.000 sec/day", -4.8979), "-4.898 sec/day");
    EXPECT_EQ(FormatPicture("0.000 sec/day", -0.0001), "0.000 sec/day"); // no sign on a zero
    EXPECT_EQ(FormatPicture("0.0000000000000000000", 10.0 / 88200), "0.0001133786848072562");
}

TEST(FormatPicture, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(FormatPicture("0", 2.5), "3");
    EXPECT_EQ(FormatPicture("0", -2.5), "-3");
    EXPECT_EQ(FormatPicture("0.00", 0.125), "0.13");
    EXPECT_EQ(FormatPicture("0.0000", 1.96875), "1.9688");
    EXPECT_EQ(FormatPicture("0", 99.5), "100"); // the carry adds a digit
    EXPECT_EQ(FormatPicture("0.0", 9.96), "10.0");
    EXPECT_EQ(FormatPicture("0", 2.4999), "2");
}

TEST(FormatPicture, OddInputs)
{
    EXPECT_EQ(FormatPicture("", 5), "5");
    EXPECT_EQ(FormatPicture("0 deg", std::numeric_limits<double>::quiet_NaN()), "NAN deg");
    EXPECT_EQ(FormatPicture("0.0", -std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FormatPicture("0", 1e300).size(), 301u);
}

TEST(FormatPicture, DecimalSeparatorFollowsTheLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no German locale installed";
    const std::string text = FormatPicture("0.0", 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "1,5");
}
