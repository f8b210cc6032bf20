#pragma once
// The steps of one positional test, timed in samples of captured audio (so that time runs
// with the sound, however fast it arrives): for each position the user puts the watch in
// place and says so, the watch settles, then it is measured; the window's readouts at the
// end of the measuring time are the position's reading.
#include <cstdint>
#include <vector>

#include "measurement/PositionTest.h"

namespace tamsel {

class PositionRun {
public:
    enum class Phase { Idle, Waiting, Settling, Measuring, Done };

    // Starts with the first position, already in place (the Start button).
    void begin(std::vector<WatchPosition> order, int64_t settleSamples);
    // The user put the watch in the next position; during a position, the watch was moved
    // again, so its settling starts over. False when there is nothing to go on with.
    bool next();
    // The measurement was disturbed (the view changed): the current position starts over.
    bool restartPosition();
    void cancel();

    // Audio passed. True when the phase changed: from settling to measuring (the measurement
    // must restart) or from measuring to taking the reading.
    bool advance(int64_t samples);
    void startMeasuring(int64_t measureSamples);
    void record(const PositionReading &reading); // the reading taken at the end of measuring

    Phase phase() const { return phase_; }
    bool running() const { return phase_ == Phase::Settling || phase_ == Phase::Measuring; }
    bool active() const { return running() || phase_ == Phase::Waiting; } // begun and not done
    // The position being measured, or, while waiting, the one to take next.
    WatchPosition current() const { return order_[index_]; }
    int64_t remaining() const { return remaining_; }
    const std::vector<PositionReading> &readings() const { return readings_; }

private:
    void settle();

    Phase phase_ = Phase::Idle;
    std::vector<WatchPosition> order_;
    std::vector<PositionReading> readings_;
    size_t index_ = 0;
    int64_t settleSamples_ = 0;
    int64_t remaining_ = 0;
};

} // namespace tamsel
