#pragma once
// The one record of measurement fields that acquisition, detection, the measures,
// the chart, the signal graph, the readouts and the recording read and write.
// Touched only on the user-interface thread.
#include <cstdint>

#include "measurement/SampleHistory.h"
#include "measurement/SweepRecord.h"
#include "measurement/ValueRanges.h"

namespace tamsel {

constexpr bool fineCorrectionAllowed(int64_t correction)
{
    return kFineCorrectionRange.holds(correction);
}

// The latest values the measurement handed to the readouts, as numbers, whichever measurement
// made them: what a reading of the watch is taken from.
struct LatestReading {
    int64_t rates = 0;           // rates measured since the window was made
    double rate = 0;             // s/day, the latest measured
    double beatError = 0;        // ms, the latest measured
    uint32_t amplitude = 0;      // degrees
    bool amplitudeValid = false; // measured since the readouts were last cleared, and valid
    double beatsPerSecond = 0;   // the beat rate in use when the latest of them was measured
};

struct MeasurementState {
    int32_t samplesPerSecond = 0;
    int32_t samplesPerSweep = 0;
    int32_t viewSeconds = 0;
    double rateRatio = 0;
    double beatsPerSecond = 0; // 0: no beat rate set or found yet
    int32_t liftAngle = 0;
    uint32_t liftSamples = 0; // of the last amplitude measured
    SampleHistory sampleHistory;
    int32_t writeIndex = 0;
    int32_t beatCount = 0;
    int32_t scanIndex = 0;
    int32_t intervalStart = 0;
    int32_t lastBeatIndex = 0;
    int32_t previousBeatIndex = 0; // the counted beat before lastBeatIndex
    int32_t beatMark1 = 0;
    int32_t beatMark2 = 0;
    int32_t beatMark3 = 0;
    int32_t noiseLevel = 1000;     // settings key NoiseLevel
    int32_t boundaryLevel = 15000; // settings key BoundaryLevel
    int32_t zoom = 1;              // settings key Zoom
    bool closing = false;
    bool timeSignalCalibrating = false;
    bool rulerShown = false;
    int32_t fineCorrection = 0; // settings key Hosei
    // s/day (settings key ClockCorrection): positive when the sound card's clock runs fast by
    // that much against samplesPerSecond, so that one true second holds
    // samplesPerSecond x (1 + clockCorrection / 86 400) samples. Applied to the measured times
    // (rate, beat error, lift time), never to the sweep or the chart.
    double clockCorrection = 0;
    int32_t rulerX = 0;
    int32_t rulerY = 0;
    int32_t beatUnit = 0;      // settings key vbps
    int32_t rateMode = 0;      // settings key Average
    int32_t beatErrorMode = 0; // settings key vkata
    LatestReading reading;
    // Bumped at every restart of the measurement (Start, the input filter switched, another
    // source) and every gap in its audio: a reading spans one measurement only while it stays.
    int64_t restarts = 0;

    bool beatRateSet() const { return beatsPerSecond > 0; }
    // Nominal samples between two beats; meaningful only while a beat rate is set.
    long double beatPeriod() const { return static_cast<long double>(samplesPerSecond) / beatsPerSecond; }
    // The same in true time, by the clock correction: what measured times are turned into
    // seconds with. Equal to the nominal ones, bit for bit, while the correction is 0.
    long double clockFactor() const { return 1 + static_cast<long double>(clockCorrection) / 86400; }
    long double trueSamplesPerSecond() const { return samplesPerSecond * clockFactor(); }
    long double trueBeatPeriod() const { return trueSamplesPerSecond() / beatsPerSecond; }

    // Per-sweep detection state, cleared at every sweep wrap and reset.
    void clearSweepDetection()
    {
        scanIndex = intervalStart = lastBeatIndex = previousBeatIndex = beatCount = beatMark1 = beatMark2 = 0;
    }
};

} // namespace tamsel
