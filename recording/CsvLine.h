#pragma once
// The one line the CSV log gets per sweep. Plain values in, text out, so that the window
// and the headless analyzer write the same line.
#include <string>
#include <string_view>

#include "measurement/FormatPicture.h"
#include "measurement/SweepRecord.h"

namespace tamsel {

// Six comma-separated fields, only the first quoted, without the line end:
//   "stamp",beats per second (one decimal),amplitude,beat error,rate,rate ratio (19 decimals)
// amplitudeText, beatErrorText and rateText are the status bar texts as shown ("275 deg",
// "0.200 msec", "-3.125 sec/day"); every " deg", " msec" and " sec/day" is removed, and an
// empty text gives an empty field.
// The log is data for programs: its numbers have a full stop whatever the locale, and the
// texts' own separator (the locale's, as the status bar shows them) becomes one.
std::string buildCsvLine(std::string_view stamp, double beatsPerSecond, std::string_view amplitudeText,
                         std::string_view beatErrorText, std::string_view rateText, double rateRatio,
                         std::string_view textSeparator = DecimalSeparator());

// The same line from a sweep's record: its numbers as the status bar shows them (the same
// pictures), an empty field where it shows none.
std::string buildCsvLine(std::string_view stamp, const SweepRecord &sweep);

// The names of the line's fields, as a header line for programs that want one: the keys the
// analyzer's JSON objects give the same values, so a script reads either by the same names.
constexpr std::string_view kCsvHeader = "time,bps,amplitude_deg,beat_error_ms,rate_s_per_day,rate_ratio";

// A number text as shown, with its decimal separator replaced by a full stop.
std::string withFullStop(std::string_view text, std::string_view separator = DecimalSeparator());

// The text with every occurrence of unit removed.
std::string removeAll(std::string_view text, std::string_view unit);

} // namespace tamsel
