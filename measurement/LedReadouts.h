#pragma once
// What the LED readouts show. They follow the reading part by part, except that a new
// measurement blanks them while the status bar keeps the last figures.
#include <cstdint>
#include <string>

#include "measurement/Reading.h"

namespace tamsel {

struct LedReadouts {
    std::string beatRate = " 00.0";
    int32_t rate = 0;
    std::string beatError = "00.0";
    int32_t amplitude = 0;

    // The amplitude readout's mark of an amplitude that is not valid: three minus signs.
    static constexpr int32_t kAmplitudeNotValid = 1000;

    // The reading's changed parts; a part that is not valid was cleared in the reading too.
    void show(const Reading &reading);
    void clear(unsigned parts);
    // A beat rate set by hand or by the beat unit, in that unit.
    void showBeatRate(double beatsPerSecond, int32_t beatUnit);
    // The time-signal calibration's one pulse a second, without the beat rate's leading space.
    void showTimeSignalRate();
    // Pulse mode chosen: no amplitude is measured.
    void markAmplitudeNotValid() { amplitude = kAmplitudeNotValid; }
};

} // namespace tamsel
