#pragma once
// The one line the CSV log gets per sweep, from the sweep's record, so that the window and the
// headless analyzer write the same line.
#include <string>
#include <string_view>

#include "measurement/SweepRecord.h"

namespace tamsel {

// Six comma-separated fields, only the first quoted, without the line end:
//   "stamp",beats per second (one decimal),amplitude,beat error,rate,rate ratio (19 decimals)
// The measures to the decimals the status bar shows them (recording/ReadingText), an empty
// field where it shows none. The log is data for programs: its numbers have a full stop
// whatever the locale.
std::string buildCsvLine(std::string_view stamp, const SweepRecord &sweep);

// The names of the line's fields, as a header line for programs that want one: the keys the
// analyzer's JSON objects give the same values, so a script reads either by the same names.
constexpr std::string_view kCsvHeader = "time,bps,amplitude_deg,beat_error_ms,rate_s_per_day,rate_ratio";

} // namespace tamsel
