#pragma once
// A long run as the trend and the report show it: the points kept for drawing and the summary
// of every sweep.
#include "measurement/RunSummary.h"
#include "measurement/SweepSeries.h"

namespace tamsel {

struct LongRun {
    SweepSeries series;
    RunSummary summary;
    // The length of a sweep as the measurement was set, when known (0: not known): it stands
    // for the first sweep's length until two sweep ends show it.
    double sweepSeconds = 0;

    // The first sweep's length: the run begins this long before the first point.
    double firstSweepSeconds() const { return summary.shortestStep().value_or(sweepSeconds); }
    // From the run's start to its last sweep end.
    double seconds() const
    {
        return summary.sweeps() == 0 ? 0 : summary.seconds() + (summary.shortestStep() ? 0 : sweepSeconds);
    }

    void add(const SweepPoint &point)
    {
        series.add(point);
        summary.add(point);
    }
};

} // namespace tamsel
