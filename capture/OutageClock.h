#pragma once
// The live stream's time across outages (the server or the source gone, a source suspended):
// the silence that stands in for the audio lost, so that silence and audio add up to the time
// that passed. The silence runs from the capture time of the last sample read to that of the
// first sample after the outage, each read off the stream's arrivals (`CaptureClock`), so the
// source's own delay drops out. Times are monotonic microseconds, passed in; counts are frames.
#include <cstdint>
#include <optional>

#include "capture/CaptureClock.h"

namespace tamsel {

class OutageClock {
public:
    // While an outage lasts, the silence is counted at this pace.
    static constexpr int kTickMs = 250;

    explicit OutageClock(uint32_t rate) : rate_(rate ? rate : 1), clock_(rate) {}

    // A new stream, or one resumed after a pause: its samples no longer follow on.
    void newStream();
    // At `now`, `unread` frames wait to be read. Returns the silence owed before them, or none
    // while the first audio after an outage is still being timed (it waits unread meanwhile).
    std::optional<uint64_t> arrived(uint64_t now, uint64_t unread);
    // `frames` more frames were read.
    void read(uint64_t frames);

    // Audio stops arriving at `now`. The gap starts just past the last sample read, when that
    // is known and recent: what the source had captured but not handed on is lost too.
    void begin(uint64_t now);
    // Audio can arrive again; the gap closes with the first of it.
    void end() { outage_ = false; }
    bool inOutage() const { return outage_; }
    // The silence to count at a tick during the outage (none after it): up to the clock a
    // little behind `now`, so that the audio's return, however late it is noticed, can still
    // end the gap where that audio was captured.
    uint64_t tick(uint64_t now);
    // The device closed: no outage, no silence owed.
    void reset() { outage_ = gapOpen_ = settling_ = false; }

private:
    static constexpr uint64_t kLagUs = 200000;
    // After a gap, the first returning audio's time is read off its arrivals over this long.
    static constexpr uint64_t kSettleUs = 100000;

    uint64_t countSilence(uint64_t until);

    uint64_t rate_;
    CaptureClock clock_;    // when the current stream's frames were captured
    uint64_t read_ = 0;     // frames read from the current stream since the clock restarted
    bool outage_ = false;   // no audio can arrive
    bool gapOpen_ = false;  // silence is owed from silenceFrom_ up to the returning audio
    uint64_t silenceFrom_ = 0;
    bool settling_ = false; // the returning audio's time is being read off its arrivals
    uint64_t settleUntil_ = 0;
    uint64_t gapEnd_ = 0;
};

} // namespace tamsel
