#pragma once
// A long run as the trend and the report show it: the points kept for drawing and the summary
// of every sweep.
#include "measurement/RunSummary.h"
#include "measurement/SweepSeries.h"

namespace tamsel {

struct LongRun {
    SweepSeries series;
    RunSummary summary;

    void add(const SweepPoint &point)
    {
        series.add(point);
        summary.add(point);
    }
};

} // namespace tamsel
