#include "recording/ReadingText.h"

#include <cmath>

namespace tamsel {

namespace {
std::string withUnit(std::string_view picture, double value, std::string_view unit,
                     std::string_view separator)
{
    return FormatPicture(std::string(picture) + std::string(unit), value, separator);
}
} // namespace

std::string rateText(const Reading &r, std::string_view separator)
{
    return r.rateValid ? withUnit(kRatePicture, r.secondsPerDay, " sec/day", separator) : std::string();
}

std::string beatErrorText(const Reading &r, std::string_view separator)
{
    if (!r.beatErrorValid)
        return {};
    std::string text = withUnit(kBeatErrorPicture, r.beatErrorMs, " msec", separator);
    if (const double bps = r.beatErrorClockBeatsPerSecond; bps > 0)
        text += " (" + FormatPicture("0.0", r.beatErrorMs * bps / 10, separator) + " %)";
    return text;
}

std::string amplitudeText(const Reading &r)
{
    return r.amplitudeValid ? withUnit(kAmplitudePicture, r.amplitude, " deg", ".") : std::string();
}

std::string liftText(const Reading &r)
{
    return r.liftValid && r.liftTimeShown
               ? "拘束時間: " + withUnit(kLiftTimePicture, r.liftMs, " msec", DecimalSeparator())
               : std::string();
}

std::string hearingText(Reading::Hearing hearing)
{
    switch (hearing) {
    case Reading::Hearing::NoWatch: return "No watch heard";
    case Reading::Hearing::Weak: return "Weak signal: the watch is barely heard";
    case Reading::Hearing::NoLift: return "No amplitude: unlocking and drop not heard apart";
    case Reading::Hearing::TooSlowForAmplitude: return "No amplitude below 2 beats a second";
    case Reading::Hearing::ThresholdMisses: return "Nothing crosses the threshold: try Option ▸ Input filter";
    default: return {};
    }
}

double shownValue(std::string_view picture, long double value)
{
    const size_t point = picture.find('.');
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(picture.size() - point - 1);
    long double scale = 1; // 10^decimals, exact up to 27 decimals
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const long double a = std::fabs(value);
    const long double hi = a * scale;
    if (!std::isfinite(hi) || hi >= 0x1p63L)
        return static_cast<double>(value);
    const long double lo = std::fma(a, scale, -hi); // hi + lo is a x scale exactly
    long double n = std::floor(hi);
    // Up from one half on: the fraction's distance from a half, with what hi lost, keeps its sign.
    if ((hi - n) - 0.5L + lo >= 0)
        n += 1;
    // n / scale rounded twice (to 64 bits, then to 53) may be one off the nearest double: the
    // midpoints to its neighbours tell, their products with scale compared exactly with n. (A
    // decimal of 19 places or fewer never lies on a midpoint.)
    double q = static_cast<double>(n / scale);
    const double up = std::nextafter(q, HUGE_VAL), down = std::nextafter(q, -HUGE_VAL);
    if (std::fma((static_cast<long double>(q) + up) / 2, scale, -n) < 0)
        q = up;
    else if (std::fma((static_cast<long double>(q) + down) / 2, scale, -n) > 0)
        q = down;
    return value < 0 && q != 0 ? -q : q;
}

} // namespace tamsel
