#pragma once
// The pulses of a time signal over one sweep of the calibration: accepted only while they
// come whole seconds apart, and the sound card's samples per true second fitted to them.
#include <cstdint>
#include <vector>

namespace tamsel {

class TimeSignalFit {
public:
    // From the first pulse to the one that ends the calibration. A line fitted through a
    // pulse a second, each timed to a sample or so, gives the card's rate to about
    // 0.01 s/day; and the span still fits a 60-second sweep whose first pulse came late.
    static constexpr int32_t kSeconds = 58;

    enum class Verdict { Listening, Heard, NotHeard };

    void restart() { pulses_.clear(); }
    // A pulse counted as whole second `second` of the sweep (0 for the first): heard once
    // kSeconds are; no time signal when it is not whole seconds after the last one to
    // within 0.1 %, or when most seconds went unheard.
    Verdict counted(int64_t at, int32_t second);
    // A pulse that adds no second: the same pulse still sounding (a tone burst has several
    // peaks), or a sound between the seconds, which a time signal does not have.
    Verdict uncounted(int64_t at) const;

    // The card's samples per true second: the slope of the least-squares line through the
    // pulses against their seconds. Meaningful once heard.
    long double samplesPerSecond() const;
    int32_t secondsLeft() const;

private:
    struct Pulse {
        int32_t second;
        int64_t at;
    };
    std::vector<Pulse> pulses_;
};

} // namespace tamsel
