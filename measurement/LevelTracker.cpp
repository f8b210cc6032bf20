#include "measurement/LevelTracker.h"

#include <algorithm>

namespace tamsel {

// The upper median.
template <int N> double LevelTracker::median(const Ring<N> &ring)
{
    std::array<double, N> values = ring.values;
    const auto middle = values.begin() + ring.count / 2;
    std::nth_element(values.begin(), middle, values.begin() + ring.count);
    return *middle;
}

void LevelTracker::closeBlock()
{
    means_.push(sum_ / count_);
    quiet_ = *std::min_element(means_.values.begin(), means_.values.begin() + means_.count);
    blockMaxima_.push(max_);
    quietPeak_ = median(blockMaxima_);
    halfMax_ = std::max(halfMax_, max_);
    sum_ = max_ = 0;
    count_ = 0;
    if (++halfBlocks_ < kBlocksPerHalfSecond)
        return;
    maxima_.push(halfMax_);
    halfMax_ = 0;
    halfBlocks_ = 0;
    peak_ = median(maxima_);
}

} // namespace tamsel
