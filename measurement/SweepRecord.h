#pragma once
// What a finished sweep leaves behind for the log, the report and the trend: the reading the
// readouts show, and where in the audio heard the sweep ended.
#include <cstdint>

#include "measurement/Reading.h"

namespace tamsel {

struct SweepRecord {
    double beatsPerSecond = 0; // as the beat rate readout shows it; 0 while it shows none
    double rateRatio = 0;      // of the rate shown; 0 while none is
    Reading reading;           // as the readouts show it
    int64_t endSample = 0;       // samples heard when the sweep ended
    double samplesPerSecond = 0; // the card's true rate: its samples per true second
    // The measurement's restarts and gaps so far: two sweeps apart by one are not one stretch.
    int64_t restarts = 0;
};

} // namespace tamsel
