#pragma once
// The analyzer's --json output: one object per line with named fields and plain JSON numbers,
// the measures the readouts show (those the CSV line carries) and the time with its offset.
#include <QDateTime>
#include <string>

#include "tools/FinalLine.h"

namespace tamsel {

// One line, ended by a line feed. kind is "sweep" or "final".
std::string sweepJson(const ShownReadouts &shown, int64_t lostSamples, const QDateTime &at, const char *kind);
// The time-signal calibration's clock correction, as the CLOCK line has it (type "clock").
std::string clockJson(double secondsPerDay);

} // namespace tamsel
