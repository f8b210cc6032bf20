#pragma once
// What passes the gate, published: into the reading the readouts show and into the state's
// record of the latest measures, with the listener told of each change as it happens.
#include <cstdint>

#include "measurement/MeasurementListener.h"
#include "measurement/Reading.h"

namespace tamsel {

struct AnalysisControls;
struct MeasurementState;

class ReadingPublisher {
public:
    ReadingPublisher(MeasurementState &state, MeasurementListener &listener)
        : state_(state), listener_(listener)
    {}

    // A new measurement: heard, with no amplitude on record and nothing said of the threshold.
    // The reading stays as it is.
    void restart();

    const Reading &latest() const { return shown_; }
    // The rate's ratio as the readouts show it: 0 while they show no rate.
    double shownRatio() const { return shownRatio_; }

    // Each shows its measure and tells.
    void showBeatRate(); // the state's
    void showRate(double secondsPerDay, double ratio);
    void showAmplitude(double degrees, uint32_t liftSamples, const AnalysisControls &controls);
    // `clockBeatsPerSecond`: a clock's beat error is also a share of its beat (0: never).
    void showBeatError(double milliseconds, double clockBeatsPerSecond);

    // The averaging meter's reading withdrawn: no measures, the record's beat rate the state's,
    // and the readout's too where the meter counted it. Told as one change.
    void withdrawAveraged(bool countedBeatRate);

    // These change the reading without telling, so that changes made together are told as one.
    void blankBeatRate();
    void clear(unsigned parts);
    void forgetRatio() { shownRatio_ = 0; }
    // The state's record keeps no amplitude.
    void forgetAmplitude();
    // How the measures hear the sound.
    void hearAs(Reading::Hearing hearing);
    // With the input filter off: the sound repeats at a watch's beat, but the threshold gives
    // no rate. Said until a rate is shown or `thresholdMisses(false)`.
    void thresholdMisses(bool missed);
    // Hands the reading to the listener when a part of it is new.
    void tell();

private:
    MeasurementState &state_;
    MeasurementListener &listener_;
    Reading shown_;
    double shownRatio_ = 0;
    Reading::Hearing heard_ = Reading::Hearing::Heard; // as the measures hear it
    bool thresholdMisses_ = false;
};

} // namespace tamsel
