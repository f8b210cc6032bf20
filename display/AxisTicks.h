#pragma once
// Round tick values for a plot's axis: steps of 1, 2 or 5 times a power of ten, or for a time
// axis whole seconds, minutes or hours, with the axis widened to the ticks around the data.
#include <string>
#include <vector>

namespace tamsel {

struct AxisTicks {
    double low = 0, high = 1; // the axis, on ticks
    double step = 1;
    int decimals = 0; // enough to tell two ticks apart
    std::vector<double> values() const;
};

// About `wanted` intervals (at least one) over [low, high]; an empty or invalid range is
// widened around its value.
AxisTicks roundTicks(double low, double high, int wanted);
// As roundTicks, over at least `span` centred on [low, high], so that a steady value reads as
// steady rather than filling the plot with its last decimal.
AxisTicks ticksSpanningAtLeast(double low, double high, double span, int wanted);

// The unit a time axis counts in: seconds for a run of a few minutes, minutes for one of a few
// hours, hours and minutes beyond.
enum class TimeUnit { Seconds, Minutes, HoursMinutes };

struct TimeAxis {
    AxisTicks ticks; // in seconds, from 0
    TimeUnit unit = TimeUnit::Seconds;
    std::string label(double seconds) const; // a tick's text in the unit: "30", "15", "1:30"
    const char *unitName() const;            // "s", "min" or "h:mm"
};

// An axis from 0 to a little past `seconds`, stepped by 1, 2, 5, 10, 15, 20 or 30 seconds or
// minutes, or 1, 2, 3, 4, 6, 12 or 24 hours and multiples of a day after that.
TimeAxis timeAxis(double seconds, int wanted);

} // namespace tamsel
