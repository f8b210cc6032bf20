#pragma once
// The averaged sound of one kind of beat (tick or tock): envelopes of many beats, each scaled to
// the same level, laid over one another. A beat is placed where it matches the template best,
// which uses all of its sub-events at once, so no single rival burst can move it.
#include <cstdint>
#include <vector>

#include "measurement/averaging/EnvelopeRing.h"

namespace tamsel {

class BeatTemplate {
public:
    static constexpr int kMostBeats = 64; // beyond this, older beats fade out

    struct Match {
        double offset = 0; // where the template fits best, from the window's start (fractional)
        double fit = -1;   // Pearson correlation of template and window there, -1..1
    };
    // The unlocking is the first sub-event: where the beat first rises clear of the noise. The
    // lift runs from it to the drop: a loud sub-event after it that is not the echo of a louder
    // one just before it. Loudness alone does not tell which: a tick's loudest may be its drop,
    // a tock's its impulse.
    struct SubEvents {
        std::vector<double> rises;   // each sub-event's half-rise point, in template samples
        std::vector<double> heights; // its peak above the floor
        double noise = 0;            // the floor's own unevenness (a robust spread)
        double first() const { return rises.empty() ? 0 : rises.front(); }
        // The sub-events after the first that may be the drop, earliest first: loud enough, and
        // not clearly an echo of the one just before.
        std::vector<size_t> dropCandidates() const;
        // The sub-event just before the i-th, within an echo's reach, louder than it by `share`.
        long louderBefore(size_t i, double share) const;
        // How many times its noise the quietest of the first sub-event and the loudest stands.
        double clarity() const;
    };

    void start(const std::vector<float> &shape);
    void clear() { shape_.clear(), beats_ = 0; }
    bool empty() const { return shape_.empty(); }
    int length() const { return static_cast<int>(shape_.size()); }
    int beats() const { return beats_; }
    const std::vector<float> &shape() const { return shape_; }

    // The best fit of the template against the envelope at window starts from-reach .. from+reach.
    Match match(const EnvelopeRing &envelope, int64_t from, int reach) const;
    // Takes the beat whose window starts at `from` into the average.
    void learn(const EnvelopeRing &envelope, int64_t from);
    // The lift from unlocking to drop that tick and tock both show to within mostDifference
    // (template samples), the mean of the two; 0 when they show none. The drop is the last
    // sub-event of the lift however faint; the balance passes the lift angle as fast either way.
    static double liftOf(const SubEvents &tick, const SubEvents &tock, double mostDifference);
    // The sub-events that stand out of a template's floor, in one cluster around its peak.
    // Sub-events further apart than `gap` samples belong to different sounds.
    SubEvents subEvents(int gap = kClusterGap) const { return subEventsOf(shape_, gap); }
    static SubEvents subEventsOf(const std::vector<float> &shape, int gap = kClusterGap);
    // 20 ms at 11 025/s: the gaps within a watch's longest lift.
    static constexpr int kClusterGap = 220;
    // How far the other template's pattern lies after this one's within its window (fractional
    // samples): tick and tock of one escapement have the same sub-events at the same spacing,
    // so matching the whole patterns finds like with like however their levels differ.
    double shiftTo(const BeatTemplate &other) const;
    // This template and the other moved back by `shift`, averaged: sub-events of both at once.
    std::vector<float> combinedWith(const BeatTemplate &other, double shift) const;

private:
    void measure();
    std::vector<double> dotsAtLags(const std::vector<float> &window, int lags) const;

    // The average of beats each scaled to zero mean and unit spread; the more the beats differ
    // (noise), the smaller the average's own spread, so match() divides by it.
    std::vector<float> shape_;
    double mean_ = 0, spread_ = 0; // of shape_
    int beats_ = 0;
};

} // namespace tamsel
