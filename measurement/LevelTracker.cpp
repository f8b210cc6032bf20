#include "measurement/LevelTracker.h"

#include <algorithm>

namespace tamsel {

// The upper median, by insertion into a sorted copy.
template <int N> double LevelTracker::median(const Ring<N> &ring)
{
    std::array<double, N> sorted{};
    for (int i = 0; i < ring.count; ++i) {
        int j = i;
        for (; j > 0 && sorted[j - 1] > ring.values[i]; --j)
            sorted[j] = sorted[j - 1];
        sorted[j] = ring.values[i];
    }
    return sorted[ring.count / 2];
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
