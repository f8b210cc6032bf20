#include "measurement/PositionTest.h"

#include <algorithm>
#include <charconv>

namespace tamsel {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNames = {{
    {"DU", "Dial up"},
    {"DD", "Dial down"},
    {"CU", "Crown up"},
    {"CD", "Crown down"},
    {"CL", "Crown left"},
    {"CR", "Crown right"},
}};

// Fixed-point text with a full stop, independent of the locale.
std::string Fixed(double x, int decimals)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, decimals);
    std::string s = error == std::errc() ? std::string(text, end) : std::string();
    if (s.starts_with('-') && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1); // -0.000 reads 0.000
    return s;
}

std::string Fixed(const std::optional<double> &x, int decimals)
{
    return x ? Fixed(*x, decimals) : std::string();
}

std::optional<double> Mean(const std::vector<double> &values)
{
    if (values.empty())
        return std::nullopt;
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / static_cast<double>(values.size());
}

} // namespace

std::string_view PositionCode(WatchPosition p)
{
    return kNames[static_cast<size_t>(p)].first;
}

std::string_view PositionName(WatchPosition p)
{
    return kNames[static_cast<size_t>(p)].second;
}

std::optional<WatchPosition> PositionFromCode(std::string_view code)
{
    for (WatchPosition p : kWatchPositions)
        if (PositionCode(p) == code)
            return p;
    return std::nullopt;
}

bool IsFlat(WatchPosition p)
{
    return p == WatchPosition::DialUp || p == WatchPosition::DialDown;
}

bool InCommonFive(WatchPosition p)
{
    return p != WatchPosition::CrownRight;
}

std::string_view PositionReading::flag() const
{
    if (!beatsFound)
        return "no beats";
    if (!amplitudeValid)
        return "amplitude not valid";
    return {};
}

namespace {

// The beat rate most counted readings share, the first of equals.
std::optional<double> CommonBeatRate(const std::vector<PositionReading> &readings)
{
    std::optional<double> common;
    long most = 0;
    for (const PositionReading &r : readings) {
        const long shared = std::count_if(readings.begin(), readings.end(), [&r](const PositionReading &o) {
            return o.counted() && o.beatsPerHour == r.beatsPerHour;
        });
        if (r.counted() && shared > most) {
            most = shared;
            common = r.beatsPerHour;
        }
    }
    return common;
}

} // namespace

bool InSummary(const PositionReading &r, const PositionSummary &s)
{
    return r.counted() && r.beatsPerHour == s.beatsPerHour;
}

std::string_view PositionNote(const PositionReading &reading, const PositionSummary &summary)
{
    if (!reading.counted() || InSummary(reading, summary))
        return reading.flag();
    return "another beat rate";
}

PositionSummary Summarise(const std::vector<PositionReading> &readings)
{
    PositionSummary s;
    s.beatsPerHour = CommonBeatRate(readings);
    std::vector<double> rates, flat, hanging;
    for (const PositionReading &r : readings) {
        if (!r.counted())
            continue;
        if (!InSummary(r, s)) {
            ++s.otherBeatRates;
            continue;
        }
        ++s.counted;
        rates.push_back(r.rate);
        s.largestBeatError = std::max(s.largestBeatError.value_or(r.beatError), r.beatError);
        (IsFlat(r.position) ? flat : hanging).push_back(r.amplitude);
    }
    s.meanRate = Mean(rates);
    if (!rates.empty())
        s.delta =
            *std::max_element(rates.begin(), rates.end()) - *std::min_element(rates.begin(), rates.end());
    s.flatAmplitude = Mean(flat);
    s.hangingAmplitude = Mean(hanging);
    if (s.flatAmplitude && s.hangingAmplitude)
        s.amplitudeDrop = *s.flatAmplitude - *s.hangingAmplitude;
    return s;
}

std::string PositionTestCsv(const std::vector<PositionReading> &readings, const PositionSummary &summary)
{
    std::string csv = "position,rate s/day,beat error ms,amplitude deg,beat rate bph,note\r\n";
    for (const PositionReading &r : readings) {
        csv += std::string(PositionCode(r.position)) + ',';
        if (r.beatsFound)
            csv += Fixed(r.rate, 3) + ',' + Fixed(r.beatError, 3) + ',' +
                   (r.amplitudeValid ? Fixed(r.amplitude, 0) : std::string()) + ',' +
                   Fixed(r.beatsPerHour, 0);
        else
            csv += ",,,";
        csv += ',' + std::string(PositionNote(r, summary)) + "\r\n";
    }
    const std::pair<const char *, std::string> rows[] = {
        {"mean rate s/day", Fixed(summary.meanRate, 3)},
        {"delta s/day", Fixed(summary.delta, 3)},
        {"largest beat error ms", Fixed(summary.largestBeatError, 3)},
        {"mean amplitude flat deg", Fixed(summary.flatAmplitude, 1)},
        {"mean amplitude hanging deg", Fixed(summary.hangingAmplitude, 1)},
        {"flat minus hanging deg", Fixed(summary.amplitudeDrop, 1)},
    };
    for (const auto &[label, value] : rows)
        csv += std::string(label) + ',' + value + "\r\n";
    return csv;
}

} // namespace tamsel
