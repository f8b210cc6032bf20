#include "app/positions/PositionRun.h"

namespace tamsel {

void PositionRun::begin(std::vector<WatchPosition> order, int64_t settleSamples)
{
    order_ = std::move(order);
    readings_.clear();
    index_ = 0;
    settleSamples_ = settleSamples;
    if (order_.empty()) {
        phase_ = Phase::Idle;
        return;
    }
    settle();
}

bool PositionRun::next()
{
    if (phase_ != Phase::Waiting && !running())
        return false;
    settle();
    return true;
}

bool PositionRun::restartPosition()
{
    if (!running())
        return false;
    settle();
    return true;
}

void PositionRun::cancel()
{
    phase_ = Phase::Idle;
    readings_.clear();
    remaining_ = 0;
}

bool PositionRun::advance(int64_t samples)
{
    if (!running())
        return false;
    remaining_ -= samples;
    return remaining_ <= 0;
}

void PositionRun::startMeasuring(int64_t measureSamples)
{
    phase_ = Phase::Measuring;
    remaining_ = measureSamples;
}

void PositionRun::record(const PositionReading &reading)
{
    readings_.push_back(reading);
    remaining_ = 0;
    if (index_ + 1 < order_.size()) {
        ++index_;
        phase_ = Phase::Waiting;
    } else {
        phase_ = Phase::Done;
    }
}

void PositionRun::settle()
{
    phase_ = Phase::Settling;
    remaining_ = settleSamples_;
}

} // namespace tamsel
