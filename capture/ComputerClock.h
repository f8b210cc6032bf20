#pragma once
// The computer's own clock, against which the sound card's is checked.
#include <cstdint>

namespace tamsel {

// The monotonic clock, in nanoseconds: network time steers its rate, and nothing steps it.
int64_t monotonicNanoseconds();
// Whether the kernel says network time keeps the clock (its status read, never set): only then
// does the monotonic clock hold to a few parts in ten million.
bool computerClockSynchronised();

} // namespace tamsel
