#pragma once
// The measurement of a watch heard through an ordinary microphone, averaged over many beats:
// the band where the ticks stand highest, the beat rate from the envelope's periodicity, a
// template of tick and of tock, each beat placed by correlation with its template, and the
// rate, beat error and lift time from lines through the beat times.
//
// All times are in input samples counted from the last reset; the caller turns them into
// seconds (it knows the sound card's true rate).
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "measurement/averaging/BandBank.h"
#include "measurement/averaging/BeatLines.h"
#include "measurement/averaging/BeatSpectrum.h"
#include "measurement/averaging/BeatTemplate.h"
#include "measurement/averaging/Periodicity.h"

namespace tamsel {

class AveragingMeter {
public:
    enum class Hearing {
        Listening, // too little sound yet to decide
        NoWatch,   // no beat stands out of the noise
        Weak,      // a watch, but barely out of the noise
        Good,
    };

    struct Reading {
        double beatsPerHour = 0;
        double beatPeriod = 0; // input samples, measured
        double beatError = 0;  // input samples
        double tockLate = 0;   // input samples: the beat error, signed (+: the tock after half the cycle)
        double lift = 0;       // input samples, unlocking to drop; 0 when they could not be told apart
        int beats = 0;         // beats behind the reading
    };

    struct Beat {
        double time = 0; // input samples
        bool tock = false;
        bool fits = false; // matched its template; else it was set aside
    };

    AveragingMeter();
    void reset();
    // A beat rate set by hand (beats per hour), which always wins; 0 lets the sound decide.
    void setHandRate(double beatsPerHour);

    void add(const int16_t *samples, size_t count);

    Hearing hearing() const { return hearing_; }
    // Valid once the averaging has settled: a few seconds after the watch is first heard.
    bool hasReading() const { return reading_.beats > 0; }
    const Reading &reading() const { return reading_; }
    // The balance's amplitude in degrees from the lift: a harmonic oscillator of period T (two
    // beats) passes the lift angle L in t where A = L / (2 sin(pi t / T)). 0 without a lift.
    static double amplitude(double liftAngle, const Reading &r);
    // Beats placed since the last call, oldest first.
    std::vector<Beat> takeBeats();

    // For the picture: the averaged tick and tock, their sub-events, and their scale.
    const BeatTemplate &tickTemplate() const { return templates_[0]; }
    const BeatTemplate &tockTemplate() const { return templates_[1]; }
    const BeatTemplate::SubEvents &tickEvents() const { return events_[0]; }
    const BeatTemplate::SubEvents &tockEvents() const { return events_[1]; }
    int64_t samplesHeard() const { return heard_; }
    // For the beat scope: the band listened in while locked on, how well the latest beat fitted
    // its template (correlation) and the share of recent beats that fitted, the beats' spectrum.
    BandBank::Band listeningBand() const;
    double latestFit() const { return latestFit_; }
    double recentFitShare() const;
    const BeatSpectrum &spectrum() const { return spectrum_; }

private:
    void tryToLock();
    void lockOn(int band, const Periodicity &period);
    void track();
    void check();
    void measure();
    void analyseTemplates();
    bool trusted(const BeatLines &lines) const;
    void unlock(Hearing why);
    double expected(bool tock, int64_t cycle) const; // window start, envelope samples

    BandBank bank_;
    PeriodFinder finder_;
    Hearing hearing_ = Hearing::Listening;
    double handRate_ = 0;
    int64_t heard_ = 0;
    int64_t nextDecision_ = 0; // input samples
    int misses_ = 0;           // failed checks in a row while locked
    int64_t lockedAt_ = 0;     // input samples heard when it locked on

    // While locked on:
    bool locked_ = false;
    int band_ = 0;
    double beatsPerHour_ = 0;
    double cycle_ = 0;           // envelope samples, from the fit once there is one
    double startOf_[2] = {0, 0}; // window starts of tick and tock at cycle 0
    int half_ = 0;               // samples of template on each side of a beat's centre
    int subEventGap_ = 0;        // samples of quiet that part the sounds of a template
    std::array<BeatTemplate, 2> templates_;
    int64_t nextCycle_ = 0;
    bool nextIsTock_ = false;
    std::deque<PlacedBeat> placed_; // the recent ones that fitted, for the lines
    std::deque<bool> recentFits_;   // whether each recent beat fitted
    std::vector<Beat> fresh_;
    BeatLines lines_;
    double onset_[2] = {0, 0};   // the first sub-event in each template, envelope samples
    double loudest_[2] = {0, 0}; // the loudest point of each template, envelope samples
    double lift_ = 0;            // input samples
    std::array<BeatTemplate::SubEvents, 2> events_;
    int64_t nextAnalysis_ = 0;
    double strength_ = 0;    // of the periodicity at the last check
    bool fitted_ = false;    // the lines have been fitted since the lock
    bool liftFound_ = false; // tick and tock show the same lift from unlocking to drop
    bool faint_ = false;     // the templates' sub-events barely stand out of their noise
    double latestFit_ = 0;
    BeatSpectrum spectrum_;
    Reading reading_;
};

} // namespace tamsel
