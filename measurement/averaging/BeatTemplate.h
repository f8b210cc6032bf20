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
        double fit = -1;   // correlation coefficient there, -1..1
    };
    struct SubEvents {
        std::vector<double> rises; // each sub-event's half-rise point, in template samples
        double first() const { return rises.empty() ? 0 : rises.front(); }
        double last() const { return rises.empty() ? 0 : rises.back(); }
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
    // The sub-events that stand out of the template's floor, in one cluster around its peak.
    SubEvents subEvents() const;

private:
    std::vector<float> shape_; // zero mean, unit spread
    int beats_ = 0;
};

} // namespace tamsel
