#pragma once
// What a long run comes to: mean, least, greatest and spread (greatest less least) of rate,
// amplitude and beat error, the run's length, and the isochronism slope. Accumulated sweep by
// sweep in constant memory, so it covers every sweep however many the series keeps.
#include <cstdint>
#include <optional>
#include <string>

#include "measurement/SweepSeries.h"

namespace tamsel {

struct ValueStats {
    int64_t count = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
    double spread() const { return max - min; }
    void add(double value);
};

// Rate against amplitude by ordinary least squares (rate = intercept + slope x amplitude),
// kept as running means and co-moments (Welford), which stay exact over long runs. Least
// squares rather than a robust line: every sweep is already an average over many beats, and
// the running form needs no memory of the points.
class IsochronismFit {
public:
    void add(double amplitude, double rate);
    int64_t count() const { return count_; }
    // s/day per degree; none with fewer than two points or no spread of amplitude.
    std::optional<double> slope() const;
    std::optional<double> rateAt(double amplitude) const;
    // The slope as the report gives it, in s/day per 100 degrees: how the rate changes while
    // the amplitude falls by 100 degrees, as it does while the mainspring runs down (a watch that
    // slows as it runs down has a negative slope).
    std::optional<double> slopePer100() const;

private:
    int64_t count_ = 0;
    double meanAmplitude_ = 0;
    double meanRate_ = 0;
    double amplitudeSquares_ = 0; // sum of squared deviations
    double coMoment_ = 0;
};

class RunSummary {
public:
    void add(const SweepPoint &point);

    int64_t sweeps() const { return rate_.count; }
    // From one sweep before the first sweep end to the last sweep end: the shortest step
    // between two sweep ends stands for the first sweep's length. 0 for a single sweep.
    double seconds() const;
    // The shortest step between two sweep ends: the length of a sweep. None before two sweeps.
    std::optional<double> shortestStep() const { return shortestStep_; }
    const ValueStats &rate() const { return rate_; }
    const ValueStats &amplitude() const { return amplitude_; } // sweeps that had one
    const ValueStats &beatError() const { return beatError_; }
    const IsochronismFit &fit() const { return fit_; }

    // SUMMARY,<seconds>,<rate mean>,<rate min>,<rate max>,<amplitude mean>,<amplitude min>,
    // <amplitude max>,<beat error mean>,<beat error max>,<slope in s/day per 100 degrees>
    // with full stops; a value that is not known (no amplitude, no slope) is an empty field.
    std::string line() const;

private:
    ValueStats rate_, amplitude_, beatError_;
    IsochronismFit fit_;
    double first_ = 0, last_ = 0;
    std::optional<double> shortestStep_;
};

} // namespace tamsel
