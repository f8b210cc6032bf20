#include "recording/ReadingText.h"

namespace tamsel {

namespace {
std::string withUnit(std::string_view picture, double value, std::string_view unit, std::string_view separator)
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
    return r.liftValid && r.liftTimeShown ? "拘束時間: " + withUnit(kLiftTimePicture, r.liftMs, " msec", DecimalSeparator())
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

} // namespace tamsel
