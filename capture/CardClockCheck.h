#pragma once
// The sound card's rate against the computer's clock. Each buffer's arrival on the monotonic
// clock (which network time steers) is set against the samples the card has delivered by then,
// lost ones counted. An arrival is late by a varying delay and never early, so the card's clock
// is the line that runs under every arrival and closest to them all (the lower envelope's
// least-sum line, as network delay studies fit a clock's skew); only the arrivals on the lower
// convex hull can decide it, so only they are kept. The uncertainty is taken, conservatively,
// from the scatter of each block's earliest arrival about that line and from how far the line
// through those minima leans from it.
// A restarted stream or a suspend starts a new segment, which keeps the slope but not the
// offset: the fit shares one slope over the segments, each with its own intercept.
#include <cstdint>
#include <optional>
#include <vector>

namespace tamsel {

class CardClockCheck {
public:
    explicit CardClockCheck(double nominalRate = 44100) : nominalRate_(nominalRate) {}

    // At `nanoseconds` on the monotonic clock, the segment's first `samples` samples have come.
    void arrived(int64_t nanoseconds, int64_t samples);
    // The samples that follow do not follow on in time from those before.
    void newSegment();
    // Another card, or another rate: nothing measured so far applies.
    void reset(double nominalRate);

    // An uncertainty under this is good enough to set the clock correction by.
    static constexpr double kEnoughSecondsPerDay = 0.1;

    struct Result {
        double ppm;            // the card's rate error: positive when it runs fast
        double uncertaintyPpm; // one standard uncertainty
        double seconds;        // of audio the fit covers
        double secondsPerDay() const { return ppm * 86400e-6; }
        double uncertaintySecondsPerDay() const { return uncertaintyPpm * 86400e-6; }
        bool enough() const { return uncertaintySecondsPerDay() < kEnoughSecondsPerDay; }
    };
    // Known once enough blocks have come to judge their scatter.
    std::optional<Result> result() const;
    // Seconds of audio still needed for the uncertainty to fall to `ppm`, at the scatter seen so
    // far (the uncertainty falls as the run's length to the power 1.5); empty until known.
    std::optional<double> secondsUntil(double ppm) const;
    // Seconds of audio the segments cover.
    double seconds() const;

    static constexpr double kBlockSeconds = 2;
    static constexpr int kLeastBlocks = 12;

private:
    struct Point {
        double x; // seconds of audio, by the nominal rate
        double y; // arrival less x: the offset of the card's clock, plus the delay
    };
    struct Segment {
        std::vector<Point> hull;   // the lower convex hull of its arrivals
        double arrivals = 0;
        double sumX = 0;
        std::vector<Point> minima; // one per finished block
        Point blockLeast{0, 0};
        int64_t blockIndex = -1;
        int64_t blockArrivals = 0;
        int64_t origin = 0; // the segment's first arrival, nanoseconds
        bool started = false;
    };
    // The slope of the line under all arrivals that lies closest to them (one intercept per
    // segment), and its standard uncertainty.
    double envelopeSlope() const;
    std::optional<double> slopeUncertainty(double slope) const;

    double nominalRate_;
    std::vector<Segment> segments_{1};
};

} // namespace tamsel
