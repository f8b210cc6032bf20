#pragma once
// Whether an envelope repeats at a watch's beat, and at which: the autocorrelation over several
// seconds, looked at only near the standard rates (or the rate set by hand). A watch repeats
// exactly every two beats (tick to tick); a beat apart (tick to tock) it repeats less, and half
// a beat apart not at all, which tells a rate from its half and its double.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "measurement/averaging/EnvelopeRing.h"

namespace tamsel {

struct Periodicity {
    bool heard = false;      // a beat stands out of the noise
    double beatsPerHour = 0; // the standard rate found, or the one set by hand
    double cycle = 0;        // tick to tick, in envelope samples (fractional)
    double strength = 0;     // autocorrelation at the cycle, 0..1
    double noise = 0;        // its typical size elsewhere
};

class PeriodFinder {
public:
    static constexpr double kLeastSeconds = 2.5; // before this, nothing is decided

    PeriodFinder();
    ~PeriodFinder();
    PeriodFinder(const PeriodFinder &) = delete;
    PeriodFinder &operator=(const PeriodFinder &) = delete;

    // Over the last `seconds` of the envelope. handBeatsPerHour > 0 is the rate set by hand.
    Periodicity find(const EnvelopeRing &envelope, double seconds, double handBeatsPerHour);

private:
    void autocorrelate(size_t n, size_t lags);

    struct Fft;
    Fft *fft_ = nullptr;
    std::vector<float> series_, correlation_;
};

} // namespace tamsel
