#include <clocale>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "CommaLocale.h"
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

TEST(FormatPicture, RightWithTheCommaOfTheLocale)
{
    std::string texts[5];
    std::optional<double> rate;
    {
        tamsel::CommaNumbers comma;
        texts[0] = FormatPicture("00.0", 5.0);
        texts[1] = FormatPicture("0 deg", 281.5); // a half rounded up by hand
        texts[2] = FormatPicture("0.000 sec/day", -0.0625);
        texts[3] = FormatPicture("0.0", 9.96, ".");
        texts[4] = tamsel::DecimalSeparator();
        // Read back as written: the positional test takes its numbers from the readouts.
        rate = tamsel::PictureNumber(FormatPicture("0.000 sec/day", -4.8979));
    }
    EXPECT_EQ(texts[0], "05,0");
    EXPECT_EQ(texts[1], "282 deg");
    EXPECT_EQ(texts[2], "-0,063 sec/day");
    EXPECT_EQ(texts[3], "10.0") << "a separator given is the one written";
    EXPECT_EQ(texts[4], ",");
    EXPECT_EQ(rate, -4.898);
}
