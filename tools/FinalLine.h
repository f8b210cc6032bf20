#pragma once
// The FINAL line: the LED readouts as they stand at the end, the status bar's measures (the
// reading's texts, with a full stop so that the line splits at its commas), the fine
// correction and the samples per second.
#include <string>

#include "measurement/LedReadouts.h"
#include "measurement/MeasurementState.h"
#include "measurement/Reading.h"

namespace tamsel {

std::string finalLine(const LedReadouts &leds, const Reading &reading, const MeasurementState &state);

} // namespace tamsel
