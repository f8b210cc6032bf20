#pragma once
// The analyzer's --json output: one object per line with named fields and plain JSON numbers,
// the values of the status bar (those the CSV line carries) and the time with its offset.
#include <QDateTime>
#include <string>

namespace tamsel {

class TForm1;

// One line, ended by a line feed. kind is "sweep" or "final".
std::string sweepJson(const TForm1 &form, const QDateTime &at, const char *kind);
// The time-signal calibration's clock correction, as the CLOCK line has it (type "clock").
std::string clockJson(double secondsPerDay);

} // namespace tamsel
