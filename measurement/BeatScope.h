#pragma once
// What the beat scope draws, taken from the engine as values: the averaged tick and tock, each
// timed in milliseconds from its own unlocking, with their sub-events, the unlocking and the
// drop named; the lift and the beat error; the amplitude a drop at any time would give; how many
// beats the average holds and how well they fit; the beats' spectrum and the band listened in.
// Or, when there is nothing to draw, why.
#include <string>
#include <vector>

namespace tamsel {

class MeasurementEngine;

// One averaged beat, tick or tock.
struct ScopeTrace {
    std::vector<float> level; // the averaged envelope, 0 at its least and 1 at its loudest
    double firstMs = 0;       // the time of level[0] from the unlocking (negative)
    double msPerPoint = 0;
    std::vector<double> eventsMs; // each sub-event's start, from the unlocking: the first is 0
    std::vector<double> heights;  // each sub-event's height, against the loudest
    int drop = -1;                // the drop's index in eventsMs; -1 where no lift was heard
    int beats = 0;                // averaged in the template

    double endMs() const { return firstMs + msPerPoint * static_cast<double>(level.size()); }
    double dropMs() const { return drop < 0 ? 0 : eventsMs[static_cast<size_t>(drop)]; }
};

struct BeatScope {
    static constexpr const char *kNoWatch = "No watch heard";
    static constexpr const char *kWeak = "Weak signal";
    static constexpr const char *kFilterOff = "Input filter is off: the beat scope needs it";

    std::string emptyReason; // empty: there is a scope to draw

    ScopeTrace tick, tock;
    double liftMs = 0;       // unlocking to drop, as the amplitude is measured; 0: not heard apart
    double beatErrorMs = 0;  // the tock's unlocking after half the cycle (negative: before)
    double beatPeriod = 0;   // input samples, measured
    double samplesPerMs = 0; // input samples, as the lift time's readout counts them
    double beatsPerHour = 0;
    int liftAngle = 0;
    bool amplitudeShown = false; // the engine gives an amplitude at this beat rate
    int beatsAveraged = 0;       // behind the reading's lines
    double latestFit = 0;        // the latest beat's correlation with its template
    double recentFitShare = 0;   // of recent beats that fitted

    // The beats' averaged power from spectrumFirstHz on, hzPerBin apart (1 to 20 kHz); the band
    // the measurement listens in.
    std::vector<float> spectrum;
    double spectrumFirstHz = 0, hzPerBin = 0;
    double bandLowHz = 0, bandHighHz = 0;

    // The engine's amplitude for a drop `ms` after the unlocking, at the beat rate and lift angle
    // in force (A = LA / (2 sin(pi t / T)), T two beats); 0 where there is none.
    double amplitudeAt(double ms) const;
    // Where a drop gives `degrees`; 0 where none does.
    double msForAmplitude(double degrees) const;
    double beatMs() const { return samplesPerMs > 0 ? beatPeriod / samplesPerMs : 0; }

    static BeatScope of(const MeasurementEngine &engine);
};

} // namespace tamsel
