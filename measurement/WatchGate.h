#pragma once
// Between the measures and the readouts. Both measurements hand it one stream of measures
// (beat rate, rate, beat error, amplitude, the beats heard and how the sound is heard; the
// averaging meter's through `AveragedMeasures`), and the readouts show them only while a watch
// is heard (`HeardWatch`, on the evidence of the measurement in use). Until that is known the
// measurements are held (the latest of each kind), and shown at once when a watch is heard;
// when beat detection's pulses are no watch's, the readouts show nothing, as for silence, and
// the reading says so. Figures no watch can show (amplitudes outside 100-360 degrees, beat
// errors over a quarter of the beat interval) are never shown, nor are measures beat
// detection's own beats contradict (`PlausibleMeasures`). What passes is published
// (`ReadingPublisher`).
#include <optional>

#include "measurement/AnalysisOutput.h"
#include "measurement/HeardWatch.h"
#include "measurement/MeasurementListener.h"
#include "measurement/PlausibleMeasures.h"
#include "measurement/ReadingPublisher.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class MeasurementEngine;

class WatchGate : public AnalysisOutput {
public:
    WatchGate(MeasurementEngine &engine, MeasurementState &state, MeasurementListener &listener);

    // A new measurement: nothing heard yet, and the reading's numbers forgotten. The readouts
    // stay as they are.
    void Reset();
    // Another source: nothing measured on the old sound stands, and the reading says that no
    // watch is heard until the new sound gives a reading.
    void newSound();
    void forgetAmplitude();
    WatchVerdict verdict() const;
    const Reading &latest() const { return publisher_.latest(); }

    // What the sweep's record (CSV line, snapshot) states: as the readouts show it.
    double shownBeatsPerSecond() const;
    double shownRateRatio() const;

    // The averaging meter has heard a buffer: how it hears, and its reading when it has one.
    void hear(AveragingMeter::Hearing hearing, const AveragingMeter::Reading *reading);
    void averaged(const AveragingMeter::Reading &r);
    // The meter hears no watch: readouts that carried its reading show nothing.
    void averagedNothing();
    void restartAveraging() { averagedShown_ = false; }
    // With the input filter off: the sound repeats at a watch's beat, but the threshold gives
    // no rate. Said until a rate is shown or the measurement restarts.
    void thresholdMisses(bool missed);

    void passStarted() override;
    void firstBeatOfSweep() override;
    void rateMeasured(double secondsPerDay) override;
    void timeSignalCalibrationEnded() override;
    void timeSignalNotHeard() override;
    void amplitudeMeasured(uint32_t degrees, bool valid, uint32_t liftSamples) override;
    void beatErrorMeasured(double milliseconds) override;
    void beatMarked(const Beat &beat) override;
    void passEnded() override;
    void beatRateCounted() override;

private:
    struct Held {
        bool beatRate = false;
        std::optional<double> rate;
        double rateRatio = 0;
        bool rateCounted = true; // its beats counted right, by their spacing
        struct Amplitude {
            double degrees; // as measured: the averaging meter's in fractions of a degree
            uint32_t lift;
        };
        std::optional<Amplitude> amplitude;
        std::optional<double> beatError;
    };

    void measureAmplitude(const Held::Amplitude &amplitude);
    bool gated() const;
    bool showing() const;
    HeardWatch::Hearing pulseHearing() const;
    void judge();
    void showHeld();
    void showNothing();
    void showNoMeasures();
    void showRate(double secondsPerDay, double ratio, bool counted);
    void clearRate();
    void showAmplitude(const Held::Amplitude &a);
    void showBeatError(double milliseconds);
    void clearAndTell(unsigned parts);

    MeasurementEngine &engine_;
    MeasurementState &state_; // the engine's: the beat rate heard is kept there
    MeasurementListener &listener_;
    ReadingPublisher publisher_;
    HeardWatch heard_;
    PlausibleMeasures plausible_;
    Held held_;
    bool beatRateHidden_ = false;
    bool averagedShown_ = false; // the readouts carry the averaging meter's reading
};

} // namespace tamsel
