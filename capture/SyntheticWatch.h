#pragma once
// A generated watch for demonstrations: 16-bit mono at 44 100 samples/s, one tick per beat
// at a chosen rate, beat error and amplitude, over a little noise. Endless; any stretch
// is the same every time for the same parameters.
//
// Each tick is a burst whose envelope rises from the pulse start to its peak one lift time
// later and then decays; the peak sample stands well above the rest of the burst, so a
// threshold detector finds the peak, and an edge search finds the pulse start. The lift time d is chosen so
// that amplitude = lift angle x (1 + (I + d) / (4 d)), I being one beat interval.
#include <cstdint>
#include <string>

#include "capture/SampleSource.h"

namespace tamsel {

// An ordinary microphone instead of a contact one: each tick is three ringing bursts
// (unlocking, impulse, drop: the drop the loudest) spread over the lift time, tocks are
// quieter than ticks, the level drifts slowly, and mains hum, hiss and room clicks are heard.
struct MicrophoneParams {
    bool on = false;
    double tockLevel = 0.7; // the tock's peak, as a fraction of the tick's
    double drift = 0.2;     // slow level drift, as a fraction either way
    double humHz = 50;      // mains: 50 or 60 Hz, with harmonics
    double humLevel = 300;  // the hum's peak
    double hissRms = 40;    // Gaussian hiss
    double clicksPerMinute = 3;
};

struct SyntheticWatchParams {
    double beatsPerHour = 21600;
    double rateSecondsPerDay = 4; // positive: the watch gains
    double beatErrorMs = 0.3;     // odd beats come this much late
    double amplitudeDegrees = 270;
    double liftAngle = 52;
    double peakLevel = 20000; // the peak sample, before noise (the tick's drop with a microphone)
    double noiseLevel = 150;  // uniform noise within +-noiseLevel
    uint32_t seed = 1;
    int64_t firstPeak = 2000; // sample of beat 0's peak
    MicrophoneParams microphone;
};

class SyntheticWatch : public SampleSource {
public:
    static constexpr int kRate = 44100;

    // Parameters out of range are brought into it (see the .cpp); params() tells what is used.
    explicit SyntheticWatch(const SyntheticWatchParams &params);

    size_t read(int16_t *out, size_t count) override;
    bool rewind() override
    {
        position_ = 0;
        return true;
    }
    std::string name() const override { return "Synthetic watch"; }

    // Samples from `from` on, independent of the reading position.
    void generate(int64_t from, int16_t *out, size_t count) const;

    const SyntheticWatchParams &params() const { return p_; }
    double period() const { return period_; } // mean samples per beat
    int liftSamples() const { return lift_; } // pulse start to peak
    int64_t peakOf(int64_t beat) const;       // sample of a beat's peak

private:
    double burst(int64_t beat, int64_t at) const;
    double noise(int64_t at) const;
    void generateHeard(int64_t from, int16_t *out, size_t count) const; // through a microphone

    SyntheticWatchParams p_;
    double period_ = 0;
    double offset_ = 0; // beat error in samples
    int lift_ = 1;
    int tail_ = 1;       // samples of decay after the peak
    double carrier_ = 0; // cycles per sample, a whole number of cycles in the rise
    int64_t position_ = 0;
};

} // namespace tamsel
