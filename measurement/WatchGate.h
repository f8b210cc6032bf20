#pragma once
// Between the measures and the readouts: the readouts show what beat detection measured only
// while the pulses look like a watch's. Until that is known the measurements are held (the
// latest of each kind), and shown at once when a watch is heard; when the pulses are no
// watch's, the readouts show nothing, as for silence, and the reading says so. Figures no
// watch can show (amplitudes outside 100-360 degrees, beat errors over a quarter of the beat
// interval) are never shown, on either path, nor is an averaged rate that the spacing of
// its own beats contradicts (beats miscounted through missed ones or stray pulses). The
// averaging meter judges what it hears itself: its reading passes the rest as it is.
// What passes becomes the latest `Reading`, handed to the listener part by part.
#include <deque>
#include <optional>
#include <vector>

#include "measurement/AnalysisOutput.h"
#include "measurement/MeasurementListener.h"
#include "measurement/WatchLikeness.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class MeasurementEngine;

class WatchGate : public AnalysisOutput {
public:
    WatchGate(MeasurementEngine &engine, MeasurementListener &listener) : engine_(engine), listener_(listener)
    {}

    // A new measurement: nothing heard yet, and the reading's numbers forgotten. The readouts
    // stay as they are.
    void Reset();
    // Another source: nothing measured on the old sound stands, and the reading says that no
    // watch is heard until the new sound gives a reading.
    void newSound();
    void forgetAmplitude();
    WatchVerdict verdict() const { return likeness_.Verdict(); }
    const Reading &latest() const { return shown_; }

    // What the sweep's record (CSV line, snapshot) states: as the readouts show it.
    double shownBeatsPerSecond() const;
    double shownRateRatio() const;

    // Below this the averaging measurement gives no amplitude: 2 beats a second, a clock's.
    static constexpr double kLeastAmplitudeBeatsPerHour = 7200;

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
    struct Pulse {
        double time;  // samples since the engine began hearing
        double width; // 0: not measured
    };
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
    double widthOf(const Beat &beat) const;
    bool showing() const;
    PulseTrain train(double beatsPerSecond, std::vector<double> &times, std::vector<double> &widths) const;
    void keepTheBeatRateHeard();
    void judge();
    void showHeld();
    void showNothing();
    void showNoMeasures();
    void showRate(double secondsPerDay, double ratio, bool counted);
    void clearRate();
    bool spacingContradicts(double ratio) const;
    bool beyondTheCountedRate(double secondsPerDay) const;
    void followSpacing(const Beat &beat);
    int64_t sweepOrigin() const;
    void showAmplitude(const Held::Amplitude &a);
    void showBeatError(double milliseconds);
    bool steadyBeatError(double milliseconds);
    // What passes: into the state's latest reading and the reading shown.
    void passRate(double secondsPerDay, double ratio);
    void passAmplitude(const Held::Amplitude &a);
    void passBeatError(double milliseconds);
    void passBeatRate();
    void clear(unsigned parts);
    void hearAs(Reading::Hearing hearing);
    void tell();

    MeasurementEngine &engine_;
    MeasurementListener &listener_;
    Reading shown_;
    WatchLikeness likeness_;
    std::deque<Pulse> pulses_;
    Held held_;
    double shownRatio_ = 0;
    bool beatRateHidden_ = false;
    Reading::Hearing heard_ = Reading::Hearing::Heard; // as the measures hear it
    bool thresholdMisses_ = false;
    bool averagedShown_ = false;     // the readouts carry the averaging meter's reading
    double heardBeatsPerSecond_ = 0; // the beat rate of the watch last heard
    // The sweep's spans of two beats between three consecutive beats in step, and the times
    // of the latest such run: what the averaged rate must agree with.
    std::vector<double> pairSpans_;
    double lastInStep_ = 0, beforeLastInStep_ = 0;
    int inStepRun_ = 0;
    std::deque<double> recentBeatErrors_; // ms, the latest beats'
    bool amplitudeOfThisBeat_ = false;    // an amplitude came with the beat about to be marked
};

} // namespace tamsel
