#include "measurement/averaging/AveragingMeter.h"

#include <algorithm>
#include <cmath>

#include "measurement/Median.h"

namespace tamsel {

namespace {

constexpr double kInputRate = 44100;
constexpr double kEnvelopeRate = BandBank::kEnvelopeRate;
constexpr int64_t kDecideEvery = 22050;    // while listening: twice a second
constexpr int64_t kCheckEvery = 44100;     // while locked on: once a second
constexpr double kPeriodSeconds = 6;       // of envelope behind each decision
constexpr double kFoldSeconds = 6;         // of beats laid over one another for the first templates
constexpr double kFoldCycles = 4;          // and at least this many cycles of a slow clock
constexpr double kMostBeatError = 0.02;    // seconds a tock may lie off the middle of the cycle
constexpr double kClockBeatError = 0.04;   // or, in a clock, this share of its beat
constexpr double kNoWatchAfter = 4;        // seconds heard before "no watch" is said
constexpr double kFitSeconds = 30;         // beats behind the lines
constexpr double kLeastFit = 0.3;          // a beat that fits its template less is set aside
constexpr double kLearnFit = 0.5;          // and one that fits less than this does not teach it
constexpr double kCentreSmoothing = 0.003; // seconds: the box that finds a beat's loudest in the fold
constexpr double kClusterShare = 0.15;     // of the loudest above the floor: still part of the beat
constexpr double kClusterGap = 0.012;      // seconds of quiet that end a beat's sound
// Seconds of template either side of a beat's middle: room for the longest lift (about 30 ms,
// a watch at 18 000 bph and 150 degrees) with quiet on both sides; a clock's lift is a fifth of
// its beat and more, and its drop rings for tens of milliseconds.
constexpr double kMostHalf = 0.040;
double templateHalf(double beatSeconds)
{
    return std::min(0.3 * beatSeconds, std::max(kMostHalf, 0.5 * beatSeconds - 0.125));
}
// Seconds of quiet between sub-events of one beat: a clock's faint unlocking comes a long lift
// before its drop.
double subEventGap(double beatSeconds)
{
    return std::max(0.020, 0.3 * beatSeconds - 0.060);
}
constexpr double kMostReach = 0.006; // seconds a beat is looked for either side of where it is due
constexpr size_t kRecentBeats = 24;
constexpr double kLeastRecentFit = 0.4; // share of recent beats that must fit to stay locked
constexpr double kGoodRecentFit = 0.75;
constexpr double kGoodStrength = 0.25;
constexpr int kStrikes = 3;                              // failed checks in a row before letting go
constexpr int kLeastCycles = 6;                          // tick-tock cycles on the lines before a reading
constexpr double kLeastReadingAfter = 4;                 // seconds locked on without a reading: let go
constexpr double kLeastReadingCycles = kLeastCycles + 2; // or, in a slow clock, cycles
// A tick's and a tock's lift differ little (the balance passes the same angle either way);
// lifts further apart than this (envelope samples, 0.7 ms) mean an unlocking or a drop was
// taken for another sub-event, and neither beat error nor amplitude can be trusted.
constexpr double kMostLiftDifference = 7.7;
constexpr double kLeastClarity = 10;            // times the template's noise
constexpr double kLeastClarityUnconfirmed = 30; // with no lift to confirm the unlockings
// A reading is shown once the beats' own scatter about their lines leaves it this uncertain
// (one standard error): the rate to s/day, the beat error to input samples (0.02 ms).
constexpr double kMostRateDoubt = 0.12;
constexpr double kMostBeatErrorDoubt = 0.9;
constexpr double kSecondsPerDay = 86400;

// The middle of the beat whose loudest point is `at` in a profile of `points` around the cycle:
// half way between its first and last sound that stands clear of the floor, so that the
// template keeps the whole lift, from the unlocking to the drop, whichever is loudest.
int clusterMiddle(const std::vector<double> &around, int at, double floor, int gap)
{
    // `at` may lie beyond one cycle (a tock after its tick): the profile wraps around.
    const int points = static_cast<int>(around.size());
    const auto value = [&](int m) { return around[static_cast<size_t>(((m % points) + points) % points)]; };
    const double least = floor + kClusterShare * (value(at) - floor);
    const auto loud = [&](int m) { return value(m) >= least; };
    int first = at, last = at;
    for (int m = at - 1, quiet = 0; quiet <= gap && at - m < points / 4; --m, ++quiet)
        if (loud(m))
            first = m, quiet = 0;
    for (int m = at + 1, quiet = 0; quiet <= gap && m - at < points / 4; ++m, ++quiet)
        if (loud(m))
            last = m, quiet = 0;
    return (first + last) / 2;
}

double envelopeIndex(double inputTime)
{
    return (inputTime - BandBank::inputTime(0)) / BandBank::kDecimation;
}

} // namespace

AveragingMeter::AveragingMeter()
{
    reset();
}

void AveragingMeter::reset()
{
    bank_.reset();
    spectrum_.reset();
    heard_ = 0;
    nextDecision_ = static_cast<int64_t>(PeriodFinder::kLeastSeconds * kInputRate);
    unlock(Hearing::Listening);
}

void AveragingMeter::setHandRate(double beatsPerHour)
{
    if (beatsPerHour == handRate_)
        return;
    handRate_ = beatsPerHour;
    if (locked_)
        unlock(Hearing::Listening);
    nextDecision_ = std::min(nextDecision_, heard_);
}

void AveragingMeter::unlock(Hearing why)
{
    locked_ = false;
    hearing_ = why;
    misses_ = 0;
    for (BeatTemplate &t : templates_)
        t.clear();
    placed_.clear();
    recentFits_.clear();
    lines_ = BeatLines();
    events_ = {};
    reading_ = Reading();
    fitted_ = false;
    liftFound_ = false;
    faint_ = false;
    latestFit_ = 0;
    spectrum_.forget();
}

std::vector<AveragingMeter::Beat> AveragingMeter::takeBeats()
{
    std::vector<Beat> beats;
    beats.swap(fresh_);
    return beats;
}

void AveragingMeter::add(const int16_t *samples, size_t count)
{
    bank_.add(samples, count);
    spectrum_.add(samples, count);
    heard_ += static_cast<int64_t>(count);
    if (locked_)
        track();
    if (heard_ >= nextDecision_) {
        nextDecision_ = heard_ + (locked_ ? kCheckEvery : kDecideEvery);
        if (locked_)
            check();
        else
            tryToLock();
        if (locked_)
            track();
    }
    if (locked_)
        measure();
}

void AveragingMeter::tryToLock()
{
    int best = -1;
    Periodicity found;
    // The bands together when they hear the watch: a tick and a tock that differ in sound
    // both stand out there; else the band it stands highest in.
    const Periodicity together = finder_.find(bank_.envelope(BandBank::kCombined), kPeriodSeconds, handRate_);
    if (together.heard) {
        found = together;
        best = BandBank::kCombined;
    }
    for (int band = 0; best < 0 && band < BandBank::kBands; ++band) {
        const Periodicity p = finder_.find(bank_.envelope(band), kPeriodSeconds, handRate_);
        if (p.heard && p.strength > found.strength) {
            found = p;
            best = band;
        }
    }
    if (best < 0) {
        hearing_ = heard_ >= kNoWatchAfter * kInputRate ? Hearing::NoWatch : Hearing::Listening;
        return;
    }
    lockOn(best, found);
}

// The first templates come from the last seconds laid over one another at the cycle found:
// the mean of each point across cycles, less its highest values, so that a click in one
// cycle leaves no trace.
void AveragingMeter::lockOn(int band, const Periodicity &period)
{
    const EnvelopeRing &envelope = bank_.envelope(band);
    const double cycle = period.cycle;
    const int points = static_cast<int>(std::ceil(cycle));
    const int64_t available = envelope.end() - envelope.begin();
    const double fold = std::max(kFoldSeconds * kEnvelopeRate, kFoldCycles * cycle);
    const int cycles = static_cast<int>(std::min<double>(available, fold) / cycle);
    if (cycles < 3)
        return;
    const double from = static_cast<double>(envelope.end()) - cycles * cycle - 1;
    std::vector<float> profile(static_cast<size_t>(points)), column(static_cast<size_t>(cycles));
    const int kept = cycles - std::max(1, cycles / 6);
    for (int m = 0; m < points; ++m) {
        for (int c = 0; c < cycles; ++c)
            column[static_cast<size_t>(c)] = envelope[std::llround(from + c * cycle + m)];
        std::nth_element(column.begin(), column.begin() + kept, column.end());
        float sum = 0;
        for (int c = 0; c < kept; ++c)
            sum += column[static_cast<size_t>(c)];
        profile[static_cast<size_t>(m)] = sum / static_cast<float>(kept);
    }
    // A beat's centre: the most sound within a few milliseconds, around the cycle.
    const int box = std::max(1, static_cast<int>(kCentreSmoothing * kEnvelopeRate));
    std::vector<double> around(static_cast<size_t>(points));
    for (int m = 0; m < points; ++m) {
        double sum = 0;
        for (int j = -box / 2; j <= box / 2; ++j)
            sum += profile[static_cast<size_t>(((m + j) % points + points) % points)];
        around[static_cast<size_t>(m)] = sum;
    }
    const int tick = static_cast<int>(std::max_element(around.begin(), around.end()) - around.begin());
    const double beatSeconds = cycle / 2 / kEnvelopeRate;
    const int tockReach =
        std::min(points / 4,
                 static_cast<int>(std::max(kMostBeatError, kClockBeatError * beatSeconds) * kEnvelopeRate));
    int tockAfter = points / 2 - tockReach;
    for (int d = tockAfter; d <= points / 2 + tockReach; ++d)
        if (around[static_cast<size_t>((tick + d) % points)] >
            around[static_cast<size_t>((tick + tockAfter) % points)])
            tockAfter = d;

    const double floor = median(around);
    const int gap = static_cast<int>(kClusterGap * kEnvelopeRate);
    half_ = static_cast<int>(templateHalf(beatSeconds) * kEnvelopeRate);
    subEventGap_ = static_cast<int>(subEventGap(beatSeconds) * kEnvelopeRate);
    const int centres[2] = {clusterMiddle(around, tick, floor, gap),
                            clusterMiddle(around, tick + tockAfter, floor, gap)};
    for (int kind = 0; kind < 2; ++kind) {
        std::vector<float> shape(static_cast<size_t>(2 * half_ + 1));
        for (int i = 0; i < static_cast<int>(shape.size()); ++i)
            shape[static_cast<size_t>(i)] =
                profile[static_cast<size_t>(((centres[kind] - half_ + i) % points + points) % points)];
        templates_[static_cast<size_t>(kind)].start(shape);
        startOf_[kind] = from + centres[kind] - half_;
    }
    locked_ = true;
    band_ = band;
    beatsPerHour_ = period.beatsPerHour;
    cycle_ = cycle;
    strength_ = period.strength;
    nextCycle_ = 0;
    nextIsTock_ = false;
    misses_ = 0;
    lockedAt_ = heard_; // what was said of the sound stands until the first reading
}

double AveragingMeter::expected(bool tock, int64_t cycle) const
{
    if (lines_.valid)
        return envelopeIndex((tock ? lines_.tockAt : lines_.tickAt) +
                             lines_.cycle * static_cast<double>(cycle));
    return startOf_[tock ? 1 : 0] + cycle_ * static_cast<double>(cycle);
}

void AveragingMeter::track()
{
    const EnvelopeRing &envelope = bank_.envelope(band_);
    const int reach = std::max(2, static_cast<int>(std::min(0.08 * cycle_ / 2, kMostReach * kEnvelopeRate)));
    for (;;) {
        const int kind = nextIsTock_ ? 1 : 0;
        BeatTemplate &shape = templates_[static_cast<size_t>(kind)];
        const int64_t from = std::llround(expected(nextIsTock_, nextCycle_));
        if (from + reach + shape.length() > envelope.end())
            break;
        if (from - reach >= envelope.begin()) {
            const BeatTemplate::Match m = shape.match(envelope, from, reach);
            const bool fits = m.fit >= kLeastFit;
            const double at = static_cast<double>(from) + m.offset;
            if (fits) {
                placed_.push_back({nextCycle_, nextIsTock_, BandBank::inputTime(at)});
                if (m.fit >= kLearnFit)
                    shape.learn(envelope, from + std::lround(m.offset));
            }
            const double unlocking = BandBank::inputTime(at + onset_[kind]);
            if (fits)
                spectrum_.beatAt(unlocking, BandBank::inputTime(at + loudest_[kind]));
            latestFit_ = m.fit;
            fresh_.push_back({unlocking, nextIsTock_, fits});
            recentFits_.push_back(fits);
            if (recentFits_.size() > kRecentBeats)
                recentFits_.pop_front();
        }
        if (nextIsTock_)
            ++nextCycle_;
        nextIsTock_ = !nextIsTock_;
    }
    const double oldest = BandBank::inputTime(static_cast<double>(envelope.end())) - kFitSeconds * kInputRate;
    while (!placed_.empty() && placed_.front().time < oldest)
        placed_.pop_front();
}

void AveragingMeter::check()
{
    const Periodicity p = finder_.find(bank_.envelope(band_), kPeriodSeconds, handRate_);
    strength_ = p.heard ? p.strength : 0;
    const bool sameRate = p.heard && p.beatsPerHour == beatsPerHour_;
    int fitting = 0;
    for (bool f : recentFits_)
        fitting += f ? 1 : 0;
    const bool lost = recentFits_.size() >= kRecentBeats &&
                      fitting < kLeastRecentFit * static_cast<double>(recentFits_.size());
    // A watch's beats fit their lines within seconds; what repeats without them is no watch's beat.
    const double patience =
        std::max(kLeastReadingAfter * kInputRate, kLeastReadingCycles * cycle_ * BandBank::kDecimation);
    const bool unread = !fitted_ && static_cast<double>(heard_ - lockedAt_) > patience;
    misses_ = sameRate && !lost && !unread ? 0 : misses_ + 1;
    if (misses_ >= kStrikes) {
        unlock(Hearing::NoWatch);
        tryToLock();
    }
}

void AveragingMeter::measure()
{
    const BeatLines lines = BeatLines::fit(std::vector<PlacedBeat>(placed_.begin(), placed_.end()));
    if (!lines.valid || lines.used < 2 * kLeastCycles)
        return;
    lines_ = lines;
    cycle_ = lines.cycle / BandBank::kDecimation;
    if (!fitted_ || heard_ >= nextAnalysis_)
        analyseTemplates();
    fitted_ = true;
    reading_ = Reading();
    // Beats whose unlockings are lost in the templates' noise cannot be placed to a sub-event.
    if (faint_) {
        hearing_ = Hearing::Weak;
        return;
    }
    int fitting = 0;
    for (bool f : recentFits_)
        fitting += f ? 1 : 0;
    const bool steady = fitting >= kGoodRecentFit * static_cast<double>(recentFits_.size());
    hearing_ = steady && strength_ >= kGoodStrength ? Hearing::Good : Hearing::Weak;
    if (!trusted(lines)) {
        hearing_ = Hearing::Weak; // better nothing than a wrong number
        return;
    }
    // Each beat's time is its unlocking: where its line puts its template, plus the unlocking's
    // place in the template. The beat error is how far the tock's unlocking lies from half way
    // between the ticks'.
    const double shift = onset_[1] - onset_[0];
    const double apartLines = lines.tockAt - lines.tickAt + shift * BandBank::kDecimation;
    const double apart = std::fmod(std::fmod(apartLines, lines.cycle) + lines.cycle, lines.cycle);
    reading_.beatsPerHour = beatsPerHour_;
    reading_.beatPeriod = lines.cycle / 2;
    reading_.tockLate = apart - lines.cycle / 2;
    reading_.beatError = std::fabs(reading_.tockLate);
    reading_.lift = lift_;
    reading_.beats = lines.used;
}

// The standard errors of least squares, from the beats' scatter about their lines: the slope
// of a line through n points spread evenly over K cycles is known to sigma / sqrt(n K^2 / 12),
// the distance between the two lines to 2 sigma / sqrt(n).
double AveragingMeter::amplitude(double liftAngle, const Reading &r)
{
    constexpr double kPi = 3.14159265358979323846;
    if (r.lift <= 0 || r.beatPeriod <= 0 || r.lift >= 2 * r.beatPeriod)
        return 0;
    return liftAngle / (2 * std::sin(kPi * r.lift / (2 * r.beatPeriod)));
}

BandBank::Band AveragingMeter::listeningBand() const
{
    if (band_ == BandBank::kCombined)
        return {BandBank::kBandEdges.front().lowHz, BandBank::kBandEdges.back().highHz};
    return BandBank::kBandEdges[static_cast<size_t>(band_)];
}

double AveragingMeter::recentFitShare() const
{
    if (recentFits_.empty())
        return 0;
    return static_cast<double>(std::count(recentFits_.begin(), recentFits_.end(), true)) /
           static_cast<double>(recentFits_.size());
}

bool AveragingMeter::trusted(const BeatLines &lines) const
{
    if (placed_.empty())
        return false;
    const double n = lines.used;
    const double span = static_cast<double>(placed_.back().cycle - placed_.front().cycle) + 1;
    const double sigma = std::max(lines.scatter, 0.5); // a scatter of 0 is rounding, not certainty
    const double cycleDoubt = sigma / std::sqrt(n * span * span / 12);
    const double rateDoubt = cycleDoubt / lines.cycle * kSecondsPerDay;
    const double beatErrorDoubt = 2 * sigma / std::sqrt(n);
    return rateDoubt <= kMostRateDoubt && beatErrorDoubt <= kMostBeatErrorDoubt;
}

// Each template's own unlocking and drop, found the same way in tick and tock: their sounds
// differ (other sub-events, another loudest), so neither is matched against the other. The
// templates change slowly, so once a second is enough.
void AveragingMeter::analyseTemplates()
{
    nextAnalysis_ = heard_ + kCheckEvery;
    events_[0] = templates_[0].subEvents(subEventGap_);
    events_[1] = templates_[1].subEvents(subEventGap_);
    onset_[0] = events_[0].first();
    onset_[1] = events_[1].first();
    for (size_t kind = 0; kind < 2; ++kind) {
        const std::vector<float> &shape = templates_[kind].shape();
        loudest_[kind] = static_cast<double>(std::max_element(shape.begin(), shape.end()) - shape.begin());
    }
    // The lift, from the unlocking to the drop, shown alike in tick and tock (an impulse may be
    // as loud as a drop). None when a beat rings as one, or an unlocking was missed: then the
    // beats are still placed, but no amplitude is given.
    //
    // The unlockings must stand clear of the templates' noise: one lost in it moves a beat by
    // a sub-event's distance, a millisecond or more. (Matching whole patterns cannot tell: in a
    // tick and a tock that sound unlike, it pairs events that are not the same.) A lift that
    // tick and tock agree on confirms both; without one, they must stand out far clearer.
    const double clarity = std::min(events_[0].clarity(), events_[1].clarity());
    lift_ = clarity < kLeastClarity
                ? 0
                : BeatTemplate::liftOf(events_[0], events_[1], kMostLiftDifference) * BandBank::kDecimation;
    faint_ = clarity < (lift_ > 0 ? kLeastClarity : kLeastClarityUnconfirmed);
    liftFound_ = lift_ > 0;
}

} // namespace tamsel
