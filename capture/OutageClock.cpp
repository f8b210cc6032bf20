#include "capture/OutageClock.h"

#include <algorithm>

namespace tamsel {

void OutageClock::newStream()
{
    clock_.restart();
    read_ = 0;
}

// After a gap, the first sample's time is read off the arrivals over a short while; the
// silence owed ends there.
std::optional<uint64_t> OutageClock::arrived(uint64_t now, uint64_t unread)
{
    if (!gapOpen_ || outage_) {
        clock_.arrived(now, read_ + unread);
        return 0;
    }
    const uint64_t first = now - std::min(now, clock_.durationOf(unread));
    if (!settling_) {
        settling_ = true;
        settleUntil_ = now + kSettleUs;
        gapEnd_ = first;
    }
    gapEnd_ = std::min(gapEnd_, first);
    if (now < settleUntil_)
        return std::nullopt;
    const uint64_t silence = countSilence(gapEnd_);
    settling_ = gapOpen_ = false;
    newStream();
    clock_.arrived(now, unread);
    return silence;
}

void OutageClock::read(uint64_t frames)
{
    read_ += frames;
    if (outage_) // audio that was still on its way when the source stopped
        silenceFrom_ = std::max(silenceFrom_, clock_.endOf(read_));
}

void OutageClock::begin(uint64_t now)
{
    outage_ = true;
    settling_ = false;
    if (gapOpen_)
        return; // the silence of an earlier gap is still being counted
    gapOpen_ = true;
    const uint64_t end = clock_.endOf(read_);
    silenceFrom_ = end != 0 && end <= now && now - end < 1000000u ? end : now;
}

uint64_t OutageClock::tick(uint64_t now)
{
    return outage_ ? countSilence(now - std::min(now, kLagUs)) : 0;
}

// Whole frames only: what is left over is counted with the next.
uint64_t OutageClock::countSilence(uint64_t until)
{
    if (until <= silenceFrom_)
        return 0;
    const uint64_t frames = (until - silenceFrom_) * rate_ / 1000000u;
    silenceFrom_ += frames * 1000000u / rate_;
    return frames;
}

} // namespace tamsel
