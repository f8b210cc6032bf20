#pragma once
// The FINAL line: the LED readouts as the last finished sweep left them (as they stand while
// none has), the status bar's measures formatted from the same reading with a full stop (so
// that the line splits at its commas), the fine correction and the samples per second.
#include <string>

#include "measurement/LedReadouts.h"
#include "measurement/MeasurementState.h"
#include "measurement/SweepRecord.h"

namespace tamsel {

// What the readouts show at one moment: the LEDs and the sweep's record of the reading behind
// them.
struct ShownReadouts {
    LedReadouts leds;
    SweepRecord sweep;
};

std::string finalLine(const ShownReadouts &shown, const MeasurementState &state);

} // namespace tamsel
