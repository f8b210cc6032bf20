#pragma once
// What the readouts show of the watch: each measure as a number with its valid flag, the one
// value every view shows. The views format it themselves (recording/ReadingText for the status
// bar and the files, LedReadouts for the LEDs), so nothing is parsed back from text. A reading
// also says which of its parts are new.
#include <cstdint>

namespace tamsel {

struct AnalysisControls;

struct Reading {
    // The parts of a reading, each shown or cleared as one.
    enum Part : unsigned {
        kBeatRate = 1,
        kRate = 2,
        kAmplitude = 4,
        kBeatError = 8,
        kHearing = 16,
        kMeasures = kRate | kAmplitude | kBeatError,
    };
    // What the status bar says of the sound: also why a watch heard has no amplitude.
    // ThresholdMisses: with the input filter off, the sound repeats at a watch's beat that the
    // threshold misses.
    enum class Hearing { Heard, NoWatch, Weak, NoLift, TooSlowForAmplitude, ThresholdMisses };

    unsigned changed = 0; // the parts new in this reading

    // Valid: the readout shows the beat rate in use; otherwise it is blank.
    double beatsPerSecond = 0;
    bool beatRateValid = false;
    int32_t beatUnit = 0; // the unit the beat rate readout shows it in

    double secondsPerDay = 0;
    double rateRatio = 0;
    bool rateValid = false;

    double beatErrorMs = 0;
    bool beatErrorValid = false;
    // A clock's beat rate, whose beat error is also shown as a share of its beat; 0 for a watch.
    double beatErrorClockBeatsPerSecond = 0;

    uint32_t amplitude = 0; // degrees
    bool amplitudeValid = false;

    uint32_t liftSamples = 0; // of the amplitude shown, at the nominal rate
    double liftMs = 0;        // the same in true time
    bool liftValid = false;
    bool liftTimeShown = false; // status-bar panel 7 shows it: in Japanese, in the A-C mode only

    Hearing hearing = Hearing::Heard;

    void showBeatRate(double bps, int32_t beatUnit);
    void blankBeatRate(int32_t beatUnit);
    void showRate(double sPerDay, double ratio);
    // `beatsPerSecond` below kClockBeatsPerSecond: a clock's, whose beat error is also a share.
    void showBeatError(double ms, double beatsPerSecond = 0);
    static constexpr double kClockBeatsPerSecond = 3;
    // `liftSamples` are the lift's samples at the nominal rate, made true by `clockFactor`.
    void showAmplitude(uint32_t degrees, uint32_t liftSamples, long double clockFactor,
                       const AnalysisControls &options);
    void clear(unsigned parts);
    // The measures' parts that show a figure.
    unsigned validMeasures() const;
    void hear(Hearing how);
};

} // namespace tamsel
