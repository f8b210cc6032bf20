#pragma once
// What beat detection measured, checked against what its own beats say: an averaged rate the
// spacing of the sweep's beats contradicts, a rate beyond the counted beat rate's tolerance, a
// beat error far from the latest beats' and an amplitude whose pulse start was lost in the
// noise are misreadings, not the watch's.
#include <deque>
#include <vector>

#include "measurement/AnalysisOutput.h"

namespace tamsel {

struct MeasurementState;

class PlausibleMeasures {
public:
    // A new measurement: nothing followed yet.
    void restart();
    // The averaged rate spans the sweep's beats only.
    void newSweep();
    // An amplitude came with the beat about to be marked.
    void amplitudeMeasured() { amplitudeOfThisBeat_ = true; }
    // Whether the amplitude measured with the beat marked is lost: the lift runs from the
    // pulse's start, and none was found.
    bool amplitudeLost(const Beat &beat);
    // Each beat marked: the spacing the averaged rate must agree with.
    void followSpacing(const Beat &beat);
    // Whether a rate was measured at the beats the watch gives: in the state's rate mode and
    // ratio, against the spacing of the beats it was measured on and the counted rate.
    bool rateCounted(double secondsPerDay, const MeasurementState &state, bool beatCounterOn) const;
    bool steadyBeatError(double milliseconds);

private:
    bool spacingContradicts(double ratio, double beatPeriod) const;

    // The sweep's spans of two beats between three consecutive beats in step, and the times
    // of the latest such run: what the averaged rate must agree with.
    std::vector<double> pairSpans_;
    double lastInStep_ = 0, beforeLastInStep_ = 0;
    int inStepRun_ = 0;
    std::deque<double> recentBeatErrors_; // ms, the latest beats'
    bool amplitudeOfThisBeat_ = false;
};

} // namespace tamsel
