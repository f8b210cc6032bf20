#include "recording/CsvLine.h"

#include "measurement/FormatPicture.h"

namespace tamsel {

namespace {
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    if (from.empty() || from == to)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t done = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, done)) {
        out.append(text.substr(done, at - done));
        out.append(to);
        done = at + from.size();
    }
    out.append(text.substr(done));
    return out;
}
} // namespace

std::string removeAll(std::string_view text, std::string_view unit)
{
    return replaceAll(text, unit, "");
}

std::string withFullStop(std::string_view text, std::string_view separator)
{
    return replaceAll(text, separator, ".");
}

std::string buildCsvLine(std::string_view stamp, double beatsPerSecond, std::string_view amplitudeText,
                         std::string_view beatErrorText, std::string_view rateText, double rateRatio,
                         std::string_view textSeparator)
{
    std::string line;
    line.reserve(96);
    line += '"';
    line += stamp;
    line += "\",";
    line += FormatPicture("0.0", beatsPerSecond, ".");
    line += ',';
    line += withFullStop(removeAll(amplitudeText, " deg"), textSeparator);
    line += ',';
    line += withFullStop(removeAll(beatErrorText, " msec"), textSeparator);
    line += ',';
    line += withFullStop(removeAll(rateText, " sec/day"), textSeparator);
    line += ',';
    line += FormatPicture("0.0000000000000000000", rateRatio, ".");
    return line;
}

std::string buildCsvLine(std::string_view stamp, const SweepRecord &sweep)
{
    const auto field = [](const auto &value, std::string_view picture) {
        return value ? FormatPicture(picture, *value, ".") : std::string();
    };
    const ShownMeasures &shown = sweep.shown;
    return buildCsvLine(stamp, sweep.beatsPerSecond, field(shown.amplitude, "0"),
                        field(shown.beatError, "0.000"), field(shown.rate, "0.000"), sweep.rateRatio, ".");
}

} // namespace tamsel
