#pragma once
// A generated watch for demonstrations: 16-bit mono at 44 100 samples/s, one tick per beat
// at a chosen rate, beat error and amplitude, over a little noise. Endless; any stretch
// is the same every time for the same parameters.
//
// Each tick is a burst whose envelope rises from the pulse start to its peak one lift time
// later and then decays; the peak sample stands well above the rest of the burst, so a
// threshold detector finds the peak, and an edge search finds the pulse start. The lift time d is chosen so
// that amplitude = lift angle x (1 + (I + d) / (4 d)), I being one beat interval: the pulse shape
// the threshold measurement assumes. Heard through a microphone the lift is the balance's own:
// it passes the lift angle in d = T / pi x asin(lift angle / (2 amplitude)), T two beats.
#include <cstdint>
#include <string>
#include <vector>

#include "capture/SampleSource.h"

namespace tamsel {

// The watch's level changes by `decibels` from `atSeconds` on (the watch moved closer or away);
// steps add up.
struct LevelStep {
    double atSeconds = 0;
    double decibels = 0;
};

// The kinds of burst in a beat heard through a microphone, each ringing in its own way.
enum class BurstKind { Unlocking, UnlockingEcho, Impulse, ImpulseEcho, Drop, DropEcho };

// How one burst rings, where it should not ring as its kind does: in Hz and ms as heard (pitch,
// tockPitch and tockDecay leave them alone). A ring that rises over a few ms swells smoothly to
// its peak (built up through the case as it dies away), so that nothing inside it stands apart;
// without one the ring starts at once.
struct BurstRing {
    double hz = 0;       // 0: the kind's two modes
    double secondHz = 0; // a second mode (hz then at 0.6 of the level, this at 0.4); 0: hz alone
    double riseMs = 0;   // from its start to its peak; 0: a short attack
    double decayMs = 0;  // the decay's time constant; 0: the kind's
};

// One burst of a beat shaped burst by burst: where it lies in the lift (0 the unlocking, 1 the
// drop; a DropEcho lies a fixed 1.4 ms after the drop whatever this says), how loud it is and,
// if not as its kind, how it rings.
struct ShapedBurst {
    BurstKind kind;
    double ofLift;
    double level;
    BurstRing ring = {};
};

// An ordinary microphone instead of a contact one: each tick is three ringing bursts
// (unlocking, impulse, drop: the drop the loudest) spread over the lift time, tocks are
// quieter than ticks, the level drifts slowly, and mains hum, hiss and room clicks are heard.
// The fields after clicksPerMinute make it harder; at their defaults they change nothing.
struct MicrophoneParams {
    bool on = false;
    double tockLevel = 0.7; // the tock's peak, as a fraction of the tick's
    double drift = 0.2;     // slow level drift, as a fraction either way
    double humHz = 50;      // mains: 50 or 60 Hz, with harmonics
    double humLevel = 300;  // the hum's peak
    double hissRms = 40;    // Gaussian hiss
    double clicksPerMinute = 3;
    // Bursts per beat: 3 (unlocking, impulse, drop); 5 adds an echo after the unlocking and
    // one after the impulse, both inside the lift; 6 adds one after the drop as well.
    int subEvents = 3;
    double burstJitter = 0;      // each burst's level varies by this fraction either way, beat by beat
    double tockImpulseLevel = 0; // the tock's impulse as a fraction of its drop; 0: as in the tick
    double tockPitch = 1.06;     // the tock's ringing frequencies, as a multiple of the tick's
    double tockDecay = 1;        // the tock's ringing decay times, as a multiple of the tick's
    double pitch = 1;            // every burst's ringing frequencies, as a multiple (the microphone's band)
    double highHissRms = 0;      // Gaussian hiss through a high-pass (a laptop's microphone)
    double highHissHz = 12000;   // where that high-pass begins
    double clickLevel = 1;       // room clicks' loudness, as a multiple of the tick's peak
    std::vector<LevelStep> levelSteps = {};
    bool watchHeard = true; // false: a room with no watch in it (hum, hiss and clicks only)
    // Ticks and tocks shaped burst by burst (a real watch's tick and tock differ in their count
    // of sub-events and in which is loudest); empty: the layout subEvents chooses. The levels
    // are of the beat's own peak level (tockLevel still scales the tock).
    std::vector<ShapedBurst> tickShape = {}, tockShape = {};
    double tockLiftMs = 0; // the tock's drop comes this much later after its unlocking than the tick's
    // Each beat's level is scaled by a factor of its own, spread evenly on a log scale from
    // 1 / sqrt(s) to sqrt(s), s this: 2 lets one beat be twice as loud as another. 1: all alike.
    double beatLevelSpread = 1;
    double halvingSeconds = 0; // the watch's level halves every this many seconds; 0: never
    // Each burst's level swings by this fraction either way over wanderSeconds, the bursts of a
    // beat evenly out of step with each other, so which of them is loudest changes and changes
    // back (a beat of one burst keeps its level). 0: steady.
    double wander = 0;
    double wanderSeconds = 8;
    // The microphone knocked once: a low thud peaking near bumpLevel (0: none) at bumpAtSeconds.
    double bumpLevel = 0;
    double bumpAtSeconds = 0.5;
    // The microphone handled from handlingFromSeconds on: rumble of about handlingLevel RMS and
    // broadband scrapes, now faint, now three times as loud (0: none).
    double handlingLevel = 0;
    double handlingFromSeconds = 0;
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
    int liftSamples() const { return lift_; } // pulse start to peak (the tick's, with a microphone)
    int64_t peakOf(int64_t beat) const;       // sample of a beat's peak

    // One ringing burst of a beat as the microphone hears it. The lift runs from the start of
    // the unlocking to the start of the drop (the beat's peakOf()): liftSamples() long.
    struct HeardBurst {
        using enum BurstKind;
        using Kind = BurstKind;
        Kind kind;
        int64_t start;       // the burst's first sample
        double level;        // the scale of its ring (its peak is near it), before noise and clipping
        BurstRing ring = {}; // how it rings if not as its kind
    };
    // A beat's bursts in time order (a lift of a few samples may make some coincide); none
    // when no watch is heard or without a microphone.
    std::vector<HeardBurst> heardBursts(int64_t beat) const;

private:
    double burst(int64_t beat, int64_t at) const;
    double noise(int64_t at) const;
    void generateHeard(int64_t from, int16_t *out, size_t count) const; // through a microphone
    void addHighHiss(int64_t from, std::vector<double> &v) const;
    void addHandling(int64_t from, std::vector<double> &v) const; // the bump and the handling noise

    SyntheticWatchParams p_;
    double period_ = 0;
    double offset_ = 0; // beat error in samples
    int lift_ = 1;
    int ringBeats_ = 0;  // beats more to look back for the longest ring of a burst's own
    int tail_ = 1;       // samples of decay after the peak
    double carrier_ = 0; // cycles per sample, a whole number of cycles in the rise
    int64_t position_ = 0;
};

} // namespace tamsel
