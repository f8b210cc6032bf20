#pragma once
// A position's reading, taken from the measurement's latest reading as it stands.
#include <cstdint>

#include "measurement/MeasurementState.h"
#include "measurement/PositionTest.h"

namespace tamsel {

// `ratesBefore`: the measurement's count of rates measured when the measuring time began; a
// position with no rate measured since then found no beats.
PositionReading ReadPosition(const MeasurementState &state, WatchPosition position, int64_t ratesBefore);

} // namespace tamsel
