#include "recording/CsvLine.h"

#include "measurement/FormatPicture.h"

namespace tamsel {

std::string removeAll(std::string_view text, std::string_view unit)
{
    if (unit.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(unit); at != std::string_view::npos; at = text.find(unit, from)) {
        out.append(text.substr(from, at - from));
        from = at + unit.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string buildCsvLine(std::string_view stamp, double beatsPerSecond, std::string_view amplitudeText,
                         std::string_view beatErrorText, std::string_view rateText, double rateRatio)
{
    std::string line;
    line.reserve(96);
    line += '"';
    line += stamp;
    line += "\",";
    line += FormatPicture("0.0", beatsPerSecond);
    line += ',';
    line += removeAll(amplitudeText, " deg");
    line += ',';
    line += removeAll(beatErrorText, " msec");
    line += ',';
    line += removeAll(rateText, " sec/day");
    line += ',';
    line += FormatPicture("0.0000000000000000000", rateRatio);
    return line;
}

} // namespace tamsel
