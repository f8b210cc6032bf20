#pragma once
// The FINAL line: the LED readouts as they stand at the end, the status bar's measures (the
// reading's texts, with a full stop so that the line splits at its commas), the fine
// correction and the samples per second.
#include <cstdint>
#include <string>

#include "measurement/MeasurementState.h"
#include "measurement/Reading.h"

namespace tamsel {

// What the window's LED readouts show. A new measurement blanks them while the status bar
// keeps the last figures.
struct LedReadouts {
    std::string beatRate = " 00.0";
    int32_t rate = 0;
    std::string beatError = "00.0";
    int32_t amplitude = 0;

    void show(const Reading &reading);
    void clear(unsigned parts);
};

std::string finalLine(const LedReadouts &leds, const Reading &reading, const MeasurementState &state);

} // namespace tamsel
