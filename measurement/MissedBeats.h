#pragma once
// With the input filter off: whether the sound repeats at a watch's beat although the
// threshold gives no reading, the case of a watch heard through an ordinary microphone, whose
// ticks stay under the threshold or cross it in bursts. The sound's envelope is kept cheaply
// (its energy in the band where ticks stand above hum and a laptop's hiss, through two filter
// sections, at the averaging meter's envelope rate) and looked at every few seconds for a
// watch's beat, as the averaging meter would.
#include <cstdint>
#include <span>

#include "measurement/Biquad.h"
#include "measurement/averaging/EnvelopeRing.h"
#include "measurement/averaging/Periodicity.h"

namespace tamsel {

class MissedBeats {
public:
    MissedBeats();

    static constexpr double kLookEverySeconds = 6;
    // The typical energy in the band below which there is no hiss: less than a unit.
    static constexpr float kLeastHiss = 1;

    // Raw samples, as captured.
    void add(std::span<const int16_t> samples);
    // Whether a look is due (every kLookEverySeconds of sound).
    bool lookDue() const;
    // Looks at the envelope: true when it repeats at a watch's rate.
    bool look();
    // A new sound: what was kept of the old one would mislead.
    void reset();

private:
    EnvelopeRing envelope_;
    PeriodFinder finder_;
    Biquad highPass_, lowPass_;
    float energy_ = 0;
    int grouped_ = 0;
    int64_t lookedAt_ = 0; // the envelope's end at the last look
};

} // namespace tamsel
