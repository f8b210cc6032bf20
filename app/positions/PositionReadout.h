#pragma once
// A position's reading, taken from the main window's readouts as they stand.
#include <cstdint>

#include "measurement/PositionTest.h"

namespace tamsel {

class TForm1;

// `rateReadingsBefore`: the window's count of rate readings when the measuring time began;
// a position with no rate reading since then found no beats.
PositionReading ReadPosition(const TForm1 &form, WatchPosition position, int64_t rateReadingsBefore);

} // namespace tamsel
