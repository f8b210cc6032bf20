#pragma once
// What a finished sweep leaves behind for the log and the trend: the measures as the readouts
// show them, as numbers, and where in the audio heard the sweep ended.
#include <cstdint>
#include <optional>

namespace tamsel {

// The measures the status bar shows; empty where it shows none.
struct ShownMeasures {
    std::optional<double> rate;        // s/day
    std::optional<uint32_t> amplitude; // degrees
    std::optional<double> beatError;   // ms
};

struct SweepRecord {
    double beatsPerSecond = 0; // as the beat rate readout shows it; 0 while it shows none
    double rateRatio = 0;      // of the rate shown; 0 while none is
    ShownMeasures shown;
    int64_t endSample = 0;       // samples heard when the sweep ended
    double samplesPerSecond = 0; // the card's true rate: its samples per true second
    // The measurement's restarts and gaps so far: two sweeps apart by one are not one stretch.
    int64_t restarts = 0;
};

} // namespace tamsel
