#include "measurement/Readouts.h"

#include <algorithm>

#include "measurement/FormatPicture.h"
#include "measurement/Numbers.h"

namespace tamsel {

namespace {
std::string secondUnitText(double beatsPerSecond)
{
    return ' ' + ledNumber(beatsPerSecond < 100 ? "00.0" : "0000", beatsPerSecond);
}
} // namespace

std::string ledNumber(std::string_view picture, long double x)
{
    return FormatPicture(picture, x, ".");
}

std::string beatRateText(double beatsPerSecond, int32_t beatUnit)
{
    if (beatUnit != 0)
        return FormatPicture("00000", static_cast<long double>(beatsPerSecond) * 60 * 60);
    return secondUnitText(beatsPerSecond);
}

std::string beatRateOtherUnitHint(double beatsPerSecond, int32_t beatUnit)
{
    if (beatUnit == 0)
        return std::to_string(Round(static_cast<long double>(beatsPerSecond) * 60 * 60)) + "bph";
    return secondUnitText(beatsPerSecond) + "bps";
}

double beatRateUp(double beatsPerSecond, int32_t beatUnit)
{
    const long double bps = beatsPerSecond;
    if (beatUnit != 0 && bps < 4.0L)
        return static_cast<double>((bps * 60 * 60 + 10) / 60 / 60);
    const int64_t a = Round(bps * 10);
    if (a <= 39)
        return static_cast<double>((a + 1) / 10.0L);
    if (a <= 999)
        return static_cast<double>((a + 5) / 10.0L);
    if (a <= 9989)
        return static_cast<double>((a + 10) / 10.0L);
    return static_cast<double>(a / 10.0L);
}

double beatRateDown(double beatsPerSecond, int32_t beatUnit)
{
    const long double bps = beatsPerSecond;
    if (beatUnit != 0 && bps <= 4.0L)
        return static_cast<double>(std::max(0.0L, bps * 60 * 60 - 10) / 60 / 60);
    const int64_t a = Round(bps * 10);
    if (a <= 1)
        return static_cast<double>(a / 10.0L);
    if (a <= 40)
        return static_cast<double>((a - 1) / 10.0L);
    if (a <= 1000)
        return static_cast<double>((a - 5) / 10.0L);
    return static_cast<double>((a - 1) / 10.0L);
}

double beatRateInSecondUnit(double beatsPerSecond)
{
    return static_cast<double>(Round(static_cast<long double>(beatsPerSecond) * 10) / 10.0L);
}

} // namespace tamsel
