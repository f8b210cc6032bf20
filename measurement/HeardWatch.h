#pragma once
// Whether a watch is heard: the one verdict, on the evidence of the measurement in use. Beat
// detection's is its latest pulses (their times since the engine began hearing and their
// widths), judged by `WatchLikeness`; the averaging meter's is its own judgement of what it
// hears, a watch while it has a reading. Also whether a beat count higher than the rate the
// pulses keep was a stray click's.
#include <deque>
#include <optional>
#include <vector>

#include "measurement/AnalysisOutput.h"
#include "measurement/WatchLikeness.h"
#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class HeardWatch {
public:
    // How the pulses are timed and the beat rate came: the same for every train judged.
    struct Hearing {
        double samplesPerSecond = 0;
        bool beatRateByHand = false;
    };

    // A new measurement: nothing heard yet.
    void restart();
    // How long the pulse stays at or above the threshold, in samples; 0 where not measured.
    static double PulseWidth(const Beat &beat, const uint16_t *history, int64_t threshold);
    // `time`: samples since the engine began hearing, so that the pulses of two sweeps keep
    // their distance.
    void pulseHeard(double time, double width);
    // The latest pulses judged at the beat rate in use; their verdict as it now stands.
    WatchVerdict judge(double beatsPerSecond, const Hearing &hearing);
    // The averaging meter has heard a buffer: `hasReading`, and how it hears.
    void meterHeard(bool hasReading, AveragingMeter::Hearing hearing);
    // By the evidence of the measurement `by`: each keeps its own, so that switching the input
    // filter judges the sound afresh rather than by the other's evidence.
    WatchVerdict verdict(MeasuringMode by) const
    {
        return by == MeasuringMode::Averaging ? meterVerdict_ : likeness_.Verdict();
    }
    // The beat rate of the watch heard, where `counted` was a stray click's; none otherwise.
    std::optional<double> beatRateKept(double counted, const Hearing &hearing) const;

private:
    struct Pulse {
        double time;
        double width; // 0: not measured
    };
    // The recent pulses as heard at a beat rate; `times` and `widths` hold what it points to.
    PulseTrain train(double beatsPerSecond, const Hearing &hearing, std::vector<double> &times,
                     std::vector<double> &widths) const;

    WatchLikeness likeness_;
    WatchVerdict meterVerdict_ = WatchVerdict::Unsure;
    std::deque<Pulse> pulses_;
    double heardBeatsPerSecond_ = 0; // the beat rate of the watch last heard
};

} // namespace tamsel
