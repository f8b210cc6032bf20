#pragma once
// The sweeps of a long run, one point per finished sweep, with the gaps where the measurement
// was restarted or audio was lost; memory stays bounded however long the run.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamsel {

// What one sweep's CSV line says. amplitude is NaN when the line has none.
struct SweepPoint {
    double seconds = 0;     // since the run began
    double rate = 0;        // s/day
    double amplitude = 0;   // degrees, or NaN
    double beatError = 0;   // ms
    bool gapBefore = false; // not joined to the point before
};

class SweepSeries {
public:
    // At most `capacity` points are kept (at least 2): when full, every second point is dropped
    // and from then on only every second sweep is kept, and so on; a dropped point's gap passes
    // to the next one kept. 1 << 20 holds twelve days of 1-second sweeps before thinning.
    explicit SweepSeries(size_t capacity = size_t(1) << 20);

    void add(SweepPoint point);
    // The next point is not joined to the last one.
    void markGap() { gapPending_ = true; }
    void clear();

    const std::vector<SweepPoint> &points() const { return points_; }
    // Sweeps added in all, kept or not.
    int64_t added() const { return added_; }
    // Keeps 1 sweep in this many.
    int64_t stride() const { return stride_; }

private:
    void thin();

    std::vector<SweepPoint> points_;
    size_t capacity_;
    int64_t added_ = 0;
    int64_t stride_ = 1;
    bool gapPending_ = false;
};

} // namespace tamsel
