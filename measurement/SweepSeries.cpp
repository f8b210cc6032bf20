#include "measurement/SweepSeries.h"

#include <algorithm>

namespace tamsel {

// Even, so that the sweep after a thinning falls on the new stride.
SweepSeries::SweepSeries(size_t capacity) : capacity_(std::max<size_t>(capacity + capacity % 2, 2)) {}

void SweepSeries::add(SweepPoint point)
{
    point.gapBefore = point.gapBefore || gapPending_;
    gapPending_ = false;
    if (added_++ % stride_ != 0) {
        // Not kept: its gap goes to the next point that is.
        gapPending_ = point.gapBefore;
        return;
    }
    if (points_.size() == capacity_)
        thin();
    points_.push_back(point);
}

void SweepSeries::thin()
{
    size_t kept = 0;
    bool gap = false;
    for (size_t i = 0; i < points_.size(); ++i) {
        gap = gap || points_[i].gapBefore;
        if (i % 2 == 0) {
            points_[kept] = points_[i];
            points_[kept++].gapBefore = gap;
            gap = false;
        }
    }
    points_.resize(kept);
    // The point after the last dropped one must also carry that one's gap.
    gapPending_ = gapPending_ || gap;
    stride_ *= 2;
}

void SweepSeries::clear()
{
    points_.clear();
    added_ = 0;
    stride_ = 1;
    gapPending_ = false;
}

} // namespace tamsel
