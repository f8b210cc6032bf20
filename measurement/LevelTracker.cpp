#include "measurement/LevelTracker.h"

#include <algorithm>

namespace tamsel {

void LevelTracker::closeBlock()
{
    means_.push(sum_ / count_);
    quiet_ = *std::min_element(means_.values.begin(), means_.values.begin() + means_.count);
    halfMax_ = std::max(halfMax_, max_);
    sum_ = max_ = 0;
    count_ = 0;
    if (++halfBlocks_ < kBlocksPerHalfSecond)
        return;
    maxima_.push(halfMax_);
    halfMax_ = 0;
    halfBlocks_ = 0;
    // The median (the upper one of an even count), by insertion into a sorted copy.
    std::array<double, decltype(maxima_)::kSize> sorted{};
    for (int i = 0; i < maxima_.count; ++i) {
        int j = i;
        for (; j > 0 && sorted[j - 1] > maxima_.values[i]; --j)
            sorted[j] = sorted[j - 1];
        sorted[j] = maxima_.values[i];
    }
    peak_ = sorted[maxima_.count / 2];
}

} // namespace tamsel
