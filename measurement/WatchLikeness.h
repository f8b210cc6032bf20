#pragma once
// What a watch's ticking looks like: the one test, shared by every way of finding beats, of
// whether the pulses heard come from a watch rather than from a hum, a tone, a constant
// level, noise or knocks on the bench. And the figures a watch can show at all.
#include <cstddef>
#include <span>

namespace tamsel {

// Recent pulses as a detection found them.
struct PulseTrain {
    std::span<const double> times;  // sample positions, oldest first (sub-sample times welcome)
    std::span<const double> widths; // pulse widths in samples, one per time; empty: not known
    double beatsPerSecond = 0;      // the beat rate in use; 0: none yet
    bool beatRateByHand = false;    // set by the user rather than counted from the pulses
    double samplesPerSecond = 0;
};

enum class WatchVerdict { Unsure, Watch, NoWatch };

class WatchLikeness {
public:
    // Pulses worth judging: the caller keeps about this many of the latest ones.
    static constexpr size_t kPulsesJudged = 12;
    // Fewer pulses than this, or no beat rate, leave the verdict as it was.
    static constexpr size_t kLeastPulses = 6;

    // Judges the pulses and remembers the verdict: a watch once heard needs fewer agreeing
    // intervals to stay one than to become one, so a missed beat or a stray click does not
    // make it flicker.
    WatchVerdict Judge(const PulseTrain &pulses);
    WatchVerdict Verdict() const { return verdict_; }
    // Whether the pulses keep the beat well enough for a watch already heard to stay one,
    // leaving the verdict as it is.
    bool KeepsTheBeat(const PulseTrain &pulses) const;
    void Reset()
    {
        verdict_ = WatchVerdict::Unsure;
        watchBeatsPerSecond_ = 0;
    }

    // Within 1.2 % of 7 200, 9 000, 10 800, 12 000, 14 400, 18 000, 19 800, 21 600, 25 200,
    // 28 800, 36 000 or 43 200 beats per hour.
    static bool StandardBeatRate(double beatsPerSecond);
    // A balance swings 100 to 360 degrees; anything else is a misreading. The one rule for an
    // amplitude as measured, in fractions of a degree or whole: it must read at least 100 on the
    // readout, which shows whole degrees, and a full turn is the most, however little it is passed.
    static bool PossibleAmplitude(double degrees);
    // Ticks and tocks more than a quarter of the beat interval apart from even are a misreading.
    static bool PossibleBeatError(double milliseconds, double beatsPerSecond);

private:
    // `strays`: with stray pulses left out.
    bool Keeps(const PulseTrain &pulses, double share, bool strays) const;

    WatchVerdict verdict_ = WatchVerdict::Unsure;
    double watchBeatsPerSecond_ = 0; // the beat rate the watch was heard at
};

} // namespace tamsel
