#include "measurement/averaging/AveragingMeter.h"

#include <algorithm>
#include <cmath>

namespace tamsel {

namespace {

constexpr double kInputRate = 44100;
constexpr double kEnvelopeRate = BandBank::kEnvelopeRate;
constexpr int64_t kDecideEvery = 22050;    // while listening: twice a second
constexpr int64_t kCheckEvery = 44100;     // while locked on: once a second
constexpr double kPeriodSeconds = 6;       // of envelope behind each decision
constexpr double kFoldSeconds = 6;         // of beats laid over one another for the first templates
constexpr double kMostBeatError = 0.02;    // seconds a tock may lie off the middle of the cycle
constexpr double kNoWatchAfter = 4;        // seconds heard before "no watch" is said
constexpr double kFitSeconds = 30;         // beats behind the lines
constexpr double kLeastFit = 0.3;          // a beat that fits its template less is set aside
constexpr double kLearnFit = 0.5;          // and one that fits less than this does not teach it
constexpr double kCentreSmoothing = 0.003; // seconds: the box that finds a beat's centre in the fold
constexpr double kMostHalf = 0.030;        // seconds of template either side of a beat's centre
constexpr double kMostReach = 0.006;       // seconds a beat is looked for either side of where it is due
constexpr size_t kRecentBeats = 24;
constexpr double kLeastRecentFit = 0.4; // share of recent beats that must fit to stay locked
constexpr double kGoodRecentFit = 0.75;
constexpr double kGoodStrength = 0.25;
constexpr int kStrikes = 3;              // failed checks in a row before letting go
constexpr int kLeastCycles = 6;          // tick-tock cycles on the lines before a reading
constexpr double kLeastReadingAfter = 4; // seconds locked on without a reading: let go
constexpr double kPairReach = 6;         // envelope samples (0.5 ms) between paired sub-events

// Matching whole patterns lines up the bursts' middles, which a tock that dies away sooner
// moves early. The bursts' rises move less: each tick sub-event is paired with the tock
// sub-event the pattern match puts beside it, and the rises' mean distance, weighted by how
// loud each pair is, is the shift.
double refinedShift(const BeatTemplate::SubEvents &tick, const BeatTemplate::SubEvents &tock, double shift)
{
    double sum = 0, weights = 0;
    for (size_t i = 0; i < tick.rises.size(); ++i)
        for (size_t j = 0; j < tock.rises.size(); ++j) {
            const double apart = tock.rises[j] - tick.rises[i];
            if (std::fabs(apart - shift) > kPairReach)
                continue;
            const double weight = std::min(tick.heights[i], tock.heights[j]);
            sum += weight * apart;
            weights += weight;
        }
    return weights > 0 ? sum / weights : shift;
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
    const int cycles = static_cast<int>(std::min<double>(available, kFoldSeconds * kEnvelopeRate) / cycle);
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
    const int tockReach = std::min(points / 4, static_cast<int>(kMostBeatError * kEnvelopeRate));
    int tockAfter = points / 2 - tockReach;
    for (int d = tockAfter; d <= points / 2 + tockReach; ++d)
        if (around[static_cast<size_t>((tick + d) % points)] >
            around[static_cast<size_t>((tick + tockAfter) % points)])
            tockAfter = d;

    half_ = static_cast<int>(std::min(0.3 * cycle / 2, kMostHalf * kEnvelopeRate));
    const int centres[2] = {tick, tick + tockAfter};
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
            fresh_.push_back({BandBank::inputTime(at + onset_[kind]), nextIsTock_, fits});
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
    // A watch gives a reading within seconds; what repeats without one is no watch's beat.
    const bool unread = !hasReading() && heard_ - lockedAt_ > kLeastReadingAfter * kInputRate;
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
    if (!hasReading() || heard_ >= nextAnalysis_)
        analyseTemplates();
    const double shift = onset_[1] - onset_[0];
    const double apartLines = lines.tockAt - lines.tickAt + shift * BandBank::kDecimation;
    const double apart = std::fmod(std::fmod(apartLines, lines.cycle) + lines.cycle, lines.cycle);
    reading_.beatsPerHour = beatsPerHour_;
    reading_.beatPeriod = lines.cycle / 2;
    reading_.beatError = std::fabs(apart - lines.cycle / 2);
    reading_.lift = lift_;
    reading_.beats = lines.used;
    int fitting = 0;
    for (bool f : recentFits_)
        fitting += f ? 1 : 0;
    const bool steady = fitting >= kGoodRecentFit * static_cast<double>(recentFits_.size());
    hearing_ = steady && strength_ >= kGoodStrength ? Hearing::Good : Hearing::Weak;
}

// Tick and tock matched to each other, pattern for pattern, and the lift from both at once.
// The templates change slowly, so once a second is enough.
void AveragingMeter::analyseTemplates()
{
    nextAnalysis_ = heard_ + kCheckEvery;
    const BeatTemplate &tick = templates_[0], &tock = templates_[1];
    events_[0] = tick.subEvents();
    events_[1] = tock.subEvents();
    const double shift = refinedShift(events_[0], events_[1], tick.shiftTo(tock));
    const BeatTemplate::SubEvents both = BeatTemplate::subEventsOf(tick.combinedWith(tock, shift));
    onset_[0] = both.first();
    onset_[1] = both.first() + shift;
    lift_ = (both.drop() - both.first()) * BandBank::kDecimation;
}

} // namespace tamsel
