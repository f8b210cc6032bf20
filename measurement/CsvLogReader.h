#pragma once
// Tamsel's own CSV log read back: six fields per line,
//   "yyyymmddhhnnss",beats per second,amplitude,beat error,rate,rate ratio
// with full stops, amplitude, beat error and rate possibly empty, lines ended by CR LF.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "measurement/SweepSeries.h"

namespace tamsel {

// The years a stamp may have: those of a computer clock running Tamsel.
constexpr int kFirstLogYear = 1970, kLastLogYear = 2099;
// Stamps that go back twice within this many lines are out of order, not a clock set back.
constexpr size_t kLinesBetweenClockSteps = 10;

struct CsvSweep {
    int64_t stamp = 0; // seconds of the stamp's civil time since 1970-01-01 00:00:00
    double beatsPerSecond = 0;
    std::optional<double> amplitude, beatError, rate;
    double rateRatio = 0;

    // A watch was measured: a beat rate, a rate and a beat error.
    bool measured() const { return beatsPerSecond > 0 && rate && beatError; }
};

// One line without its line end; none when it is not a line of Tamsel's log: a stamp that is no
// day of the calendar or outside kFirstLogYear..kLastLogYear, a negative beat rate, amplitude or
// beat error, or anything the log does not write.
std::optional<CsvSweep> parseCsvLine(std::string_view line);

// Why a line's figures are none a watch gives nor Tamsel writes (an amplitude outside
// 100-360 degrees, a beat error over a quarter of the beat, a rate of more than a quarter of a
// day a day, a beat rate above what may be set by hand, a rate its own ratio does not give);
// empty when they are possible.
std::string impossibleFigures(const CsvSweep &sweep);

// The log's lines as points: time since the first line, and a gap where the step from the last
// line is more than twice the step before it and a second (the stamps have whole seconds):
// the log itself keeps no mark of a restart or of lost audio. A line without a beat rate, rate
// or beat error (nothing measured yet, or the watch stopped) is no point and leaves a gap. A stamp earlier than the last is the
// clock set back: a gap, and the time runs on from the last point one usual step later.
class CsvPoints {
public:
    std::optional<SweepPoint> point(const CsvSweep &sweep);

private:
    std::optional<int64_t> first_, last_, step_;
    int64_t shift_ = 0; // the seconds the clock was set back, added back
    bool gap_ = false;
};

// The whole text of a log: each measured line goes to onPoint. Returns the error text, empty on
// success: an empty text, any line that is not Tamsel's, figures no watch gives, a measured line
// repeated or stamps out of order (going back twice within kLinesBetweenClockSteps lines) are
// refused, naming the line. A last line without
// its line end that cannot be read was cut short while being written and is left out.
std::string readCsvLog(std::string_view text, const std::function<void(const SweepPoint &)> &onPoint);

} // namespace tamsel
