#include "measurement/CsvLogReader.h"

#include <charconv>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "measurement/FormatPicture.h"
#include "measurement/WatchLikeness.h"

namespace tamsel {

namespace {

// No beat is counted more than a fifth of a period off its time, nor a two-beat span outside
// 1.5 to 2.5 periods: no rate Tamsel measures reaches a quarter of a day a day.
constexpr double kMostSecondsPerDay = 21600;
constexpr double kMostBeatsPerSecond = 999.9; // set by hand; the counter counts far fewer
// A line's beat error without a beat rate: a quarter of the slowest clock's beat (1 a second).
constexpr double kMostBeatErrorMs = 250;
constexpr double kSecondsPerDay = 86400;
// The rate is written to a thousandth, its ratio to nineteen places.
constexpr double kRateWritten = 0.001;

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t from = 0;
    for (size_t comma; (comma = line.find(',', from)) != std::string_view::npos; from = comma + 1)
        out.push_back(line.substr(from, comma - from));
    out.push_back(line.substr(from));
    return out;
}

// A plain decimal number as the log writes it: optional minus, digits, optional full stop and
// digits. Nothing else (no exponent, no blanks, no comma) is Tamsel's, nor a number past a
// billion, which no reading reaches and which would only break the plots' scales.
std::optional<double> number(std::string_view text)
{
    size_t i = text.starts_with('-') ? 1 : 0;
    size_t digits = 0, stops = 0;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            ++digits;
        else if (text[i] == '.' && stops++ == 0)
            continue;
        else
            return std::nullopt;
    }
    double value = 0;
    if (digits == 0 || std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc() ||
        std::fabs(value) > 1e9)
        return std::nullopt;
    return value;
}

// Either empty (not shown) or a number.
bool optionalNumber(std::string_view text, std::optional<double> &out)
{
    if (text.empty())
        return true;
    out = number(text);
    return out.has_value();
}

int64_t daysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool leapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int64_t daysInMonth(int64_t year, int64_t month)
{
    constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// A time the computer's clock can show, as the log writes it: a day of the calendar, a second
// from 0 to 59, in the years a clock running Tamsel reads.
std::optional<int64_t> stampSeconds(std::string_view quoted)
{
    if (quoted.size() != 16 || quoted.front() != '"' || quoted.back() != '"')
        return std::nullopt;
    const std::string_view digits = quoted.substr(1, 14);
    for (char c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    auto part = [&](size_t at, size_t length) {
        int64_t v = 0;
        for (size_t i = at; i < at + length; ++i)
            v = v * 10 + (digits[i] - '0');
        return v;
    };
    const int64_t year = part(0, 4), month = part(4, 2), day = part(6, 2), hour = part(8, 2),
                  minute = part(10, 2), second = part(12, 2);
    if (year < kFirstLogYear || year > kLastLogYear || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

} // namespace

std::optional<CsvSweep> parseCsvLine(std::string_view line)
{
    const auto parts = fields(line);
    if (parts.size() != 6)
        return std::nullopt;
    CsvSweep sweep;
    const auto stamp = stampSeconds(parts[0]);
    const auto bps = number(parts[1]);
    const auto ratio = number(parts[5]);
    if (!stamp || !bps || !ratio || !optionalNumber(parts[2], sweep.amplitude) ||
        !optionalNumber(parts[3], sweep.beatError) || !optionalNumber(parts[4], sweep.rate))
        return std::nullopt;
    // A beat rate, an amplitude and a beat error are never below zero; only the rate is signed.
    if (*bps < 0 || sweep.amplitude.value_or(0) < 0 || sweep.beatError.value_or(0) < 0)
        return std::nullopt;
    sweep.stamp = *stamp;
    sweep.beatsPerSecond = *bps;
    sweep.rateRatio = *ratio;
    return sweep;
}

std::string impossibleFigures(const CsvSweep &sweep)
{
    const auto shown = [](const char *picture, double value) { return FormatPicture(picture, value, "."); };
    if (sweep.beatsPerSecond > kMostBeatsPerSecond)
        return "a beat rate of " + shown("0.0", sweep.beatsPerSecond) + " a second";
    if (sweep.amplitude && !WatchLikeness::PossibleAmplitude(*sweep.amplitude))
        return "an amplitude of " + shown("0", *sweep.amplitude) + " degrees";
    if (sweep.beatError && (sweep.beatsPerSecond > 0
                                ? !WatchLikeness::PossibleBeatError(*sweep.beatError, sweep.beatsPerSecond)
                                : *sweep.beatError > kMostBeatErrorMs))
        return "a beat error of " + shown("0.000", *sweep.beatError) + " ms at " +
               shown("0.0", sweep.beatsPerSecond) + " beats a second";
    if (!sweep.rate)
        return {};
    if (std::fabs(*sweep.rate) > kMostSecondsPerDay)
        return "a rate of " + shown("0.000", *sweep.rate) + " s/day";
    // The averaged rate is its ratio of a day; the two-beat rate the rest of the day.
    const double averaged = sweep.rateRatio * kSecondsPerDay, twoBeat = (1 - sweep.rateRatio) * kSecondsPerDay;
    if (std::fabs(*sweep.rate - averaged) > kRateWritten && std::fabs(*sweep.rate - twoBeat) > kRateWritten)
        return "a rate of " + shown("0.000", *sweep.rate) + " s/day that its ratio " +
               shown("0.0000000000000000000", sweep.rateRatio) + " does not give";
    return {};
}

std::optional<SweepPoint> CsvPoints::point(const CsvSweep &sweep)
{
    if (!sweep.measured()) {
        gap_ = true;
        return std::nullopt;
    }
    SweepPoint p;
    p.rate = *sweep.rate;
    p.beatError = *sweep.beatError;
    p.amplitude = sweep.amplitude.value_or(std::nan(""));
    if (!first_)
        first_ = sweep.stamp;
    if (last_) {
        const int64_t step = sweep.stamp - *last_;
        const bool jump = step_ && step > 2 * *step_ + 1;
        p.gapBefore = gap_ || jump || step < 0;
        // The clock set back: the time runs on from the last point, a usual step later.
        if (step < 0)
            shift_ += -step + step_.value_or(0);
        if (!jump && step > 0)
            step_ = step;
    }
    gap_ = false;
    last_ = sweep.stamp;
    p.seconds = static_cast<double>(sweep.stamp + shift_ - *first_);
    return p;
}

std::string readCsvLog(std::string_view text, const std::function<void(const SweepPoint &)> &onPoint)
{
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return "the CSV log is empty";
    CsvPoints points;
    size_t lineNumber = 0;
    std::optional<int64_t> lastStamp;
    std::optional<size_t> lastStepBack; // the line where the stamps last went back
    // Each measured line's number: no sweep ends twice with the same figures to the last place.
    std::unordered_map<std::string_view, size_t> measuredLines;
    for (size_t from = 0; from < text.size();) {
        const size_t end = text.find('\n', from);
        const bool ended = end != std::string_view::npos;
        std::string_view line = text.substr(from, ended ? end - from : std::string_view::npos);
        from = ended ? end + 1 : text.size();
        ++lineNumber;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const auto sweep = parseCsvLine(line);
        const std::string figures = sweep ? impossibleFigures(*sweep) : std::string();
        if (!sweep || !figures.empty()) {
            if (!ended && lineNumber > 1)
                break; // cut short, even where what is left still reads as figures
            if (!sweep)
                return "line " + std::to_string(lineNumber) + " is not a line of Tamsel's CSV log";
            return "line " + std::to_string(lineNumber) + " holds " + figures + ", which no watch gives";
        }
        if (sweep->measured())
            if (const auto [earlier, first] = measuredLines.emplace(line, lineNumber); !first)
                return "line " + std::to_string(lineNumber) + " repeats line " + std::to_string(earlier->second);
        // A clock set back (a live log, at the change to standard time or a correction of the
        // clock) sends the stamps back once, and then they run on; stamps that go back again soon
        // after are lines out of order.
        if (lastStamp && sweep->stamp < *lastStamp) {
            if (lastStepBack && lineNumber - *lastStepBack < kLinesBetweenClockSteps)
                return "line " + std::to_string(lineNumber) +
                       " is out of order: its time stamp is earlier than the line before";
            lastStepBack = lineNumber;
        }
        lastStamp = sweep->stamp;
        if (const auto p = points.point(*sweep))
            onPoint(*p);
    }
    return {};
}

} // namespace tamsel
