#pragma once
// Ticks and tocks each on a line through their times: one slope (the time of a tick-tock
// cycle) and two intercepts, fitted by least squares after the beats that stray far from
// both lines (a click taken for a beat) are set aside.
#include <cstdint>
#include <vector>

namespace tamsel {

struct PlacedBeat {
    int64_t cycle = 0; // tick-tock cycles since the measurement locked on
    bool tock = false;
    double time = 0; // input samples
};

struct BeatLines {
    bool valid = false;
    double cycle = 0;              // input samples per tick-tock cycle
    double tickAt = 0, tockAt = 0; // the lines at cycle 0
    int used = 0;                  // beats on the lines
    double scatter = 0;            // typical distance of a beat from its line, input samples

    // Fits the lines; needs a few beats of each kind.
    static BeatLines fit(const std::vector<PlacedBeat> &beats);
};

} // namespace tamsel
