#pragma once
// What the readouts show of the watch: each measure as a number with its valid flag, and the
// texts the LED strip and the status bar show of it, so that every view shows the same thing
// and nothing is parsed back from text. A reading also says which of its parts are new.
#include <cstdint>
#include <string>

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
    std::string beatRateText; // the beat rate readout's caption

    double secondsPerDay = 0;
    double rateRatio = 0;
    bool rateValid = false;
    int32_t rateLed = 0;  // the rate readout's value
    std::string rateText; // status-bar panel 6

    double beatErrorMs = 0;
    bool beatErrorValid = false;
    std::string beatErrorLed;  // the beat error readout's caption
    std::string beatErrorText; // panel 2

    uint32_t amplitude = 0; // degrees
    bool amplitudeValid = false;
    std::string amplitudeText; // panel 4

    double liftMs = 0; // of the amplitude shown
    bool liftValid = false;
    std::string liftText; // panel 7: in Japanese, in the A-C mode only

    Hearing hearing = Hearing::Heard;
    std::string hearingText; // the status bar's watch note

    void showBeatRate(double bps, int32_t beatUnit);
    void blankBeatRate(int32_t beatUnit);
    void showRate(double sPerDay, double ratio);
    // `beatsPerSecond` below kClockBeatsPerSecond: a clock's, whose beat error is also a share.
    void showBeatError(double ms, double beatsPerSecond = 0);
    static constexpr double kClockBeatsPerSecond = 3;
    static constexpr double kMostBeatErrorLed = 99.95; // rounds to more than the readout holds
    // `liftSamples` are the lift's samples at the nominal rate, made true by `clockFactor`.
    void showAmplitude(uint32_t degrees, uint32_t liftSamples, long double clockFactor,
                       const AnalysisControls &options);
    void clear(unsigned parts);
    // The measures' parts that show a figure.
    unsigned validMeasures() const;
    void hear(Hearing how);
};

} // namespace tamsel
