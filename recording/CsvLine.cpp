#include "recording/CsvLine.h"

#include "recording/ReadingText.h"

namespace tamsel {

std::string buildCsvLine(std::string_view stamp, const SweepRecord &sweep)
{
    const auto field = [](bool shown, std::string_view picture, long double value) {
        return shown ? FormatPicture(picture, value, ".") : std::string();
    };
    const Reading &r = sweep.reading;
    std::string line;
    line.reserve(96);
    line += '"';
    line += stamp;
    line += "\",";
    line += FormatPicture(kBeatRatePicture, sweep.beatsPerSecond, ".");
    line += ',';
    line += field(r.amplitudeValid, kAmplitudePicture, r.amplitude);
    line += ',';
    line += field(r.beatErrorValid, kBeatErrorPicture, r.beatErrorMs);
    line += ',';
    line += field(r.rateValid, kRatePicture, r.secondsPerDay);
    line += ',';
    line += FormatPicture(kRateRatioPicture, sweep.rateRatio, ".");
    return line;
}

} // namespace tamsel
