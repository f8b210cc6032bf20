#include "capture/CaptureClock.h"

#include <algorithm>

namespace tamsel {

void CaptureClock::arrived(uint64_t now, uint64_t samples)
{
    const uint64_t span = durationOf(samples);
    if (span > now)
        return;
    const uint64_t zero = now - span;
    if (!known_) {
        known_ = true;
        windowStart_ = now;
        current_ = previous_ = zero;
    } else if (now - windowStart_ >= kWindowUs) {
        windowStart_ = now;
        previous_ = current_;
        current_ = zero;
    } else {
        current_ = std::min(current_, zero);
    }
}

uint64_t CaptureClock::endOf(uint64_t samples) const
{
    return known_ ? std::min(current_, previous_) + durationOf(samples) : 0;
}

} // namespace tamsel
