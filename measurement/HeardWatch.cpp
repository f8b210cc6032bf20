#include "measurement/HeardWatch.h"

namespace tamsel {

void HeardWatch::restart()
{
    likeness_.Reset();
    meterVerdict_ = WatchVerdict::Unsure;
    pulses_.clear();
    heardBeatsPerSecond_ = 0;
}

// The pulse's own boundaries follow the noise level, so under hum, which never falls to it,
// they would span the whole search.
double HeardWatch::PulseWidth(const Beat &beat, const uint16_t *history, int64_t threshold)
{
    if (beat.pulseEnd <= static_cast<int32_t>(beat.pulseStart))
        return 0; // pulse mode and the time signal measure none
    int64_t start = beat.pulseStart, end = beat.pulseEnd;
    while (start < beat.peakIndex && history[start] < threshold)
        ++start;
    while (end > beat.peakIndex && history[end] < threshold)
        --end;
    return static_cast<double>(end - start + 1);
}

void HeardWatch::pulseHeard(double time, double width)
{
    pulses_.push_back({time, width});
    if (pulses_.size() > WatchLikeness::kPulsesJudged)
        pulses_.pop_front();
}

PulseTrain HeardWatch::train(double beatsPerSecond, const Hearing &hearing, std::vector<double> &times,
                             std::vector<double> &widths) const
{
    times.clear();
    widths.clear();
    bool widthsKnown = true;
    for (const Pulse &pulse : pulses_) {
        times.push_back(pulse.time);
        widths.push_back(pulse.width);
        widthsKnown = widthsKnown && pulse.width > 0; // pulse mode and the time signal measure none
    }
    PulseTrain train;
    train.times = times;
    if (widthsKnown)
        train.widths = widths;
    train.beatsPerSecond = beatsPerSecond;
    train.beatRateByHand = hearing.beatRateByHand;
    train.samplesPerSecond = hearing.samplesPerSecond;
    return train;
}

WatchVerdict HeardWatch::judge(double beatsPerSecond, const Hearing &hearing)
{
    std::vector<double> times, widths;
    const WatchVerdict now = likeness_.Judge(train(beatsPerSecond, hearing, times, widths));
    if (now == WatchVerdict::Watch)
        heardBeatsPerSecond_ = beatsPerSecond;
    return now;
}

// Its judgement stands until it has a reading again, or hears nothing like a watch.
void HeardWatch::meterHeard(bool hasReading, AveragingMeter::Hearing hearing)
{
    if (hasReading)
        meterVerdict_ = WatchVerdict::Watch;
    else if (hearing == AveragingMeter::Hearing::NoWatch)
        meterVerdict_ = WatchVerdict::NoWatch;
}

// A stray click in the second the beats are counted in makes the count too high, and the
// whole sweep would be measured at a beat rate that is not the watch's. While the pulses keep
// the beat rate of the watch heard and not the higher count, the count was the click's. (A
// count too low is left to the watch test: beats missed there are missed in the sweep too.
// Before a watch is heard nothing is corrected: the pulses then were found at no beat rate
// or another, and a lower rate they seem to keep may be a faster watch's.)
std::optional<double> HeardWatch::beatRateKept(double counted, const Hearing &hearing) const
{
    if (likeness_.Verdict() != WatchVerdict::Watch || hearing.beatRateByHand || heardBeatsPerSecond_ <= 0 ||
        counted <= heardBeatsPerSecond_)
        return std::nullopt;
    std::vector<double> times, widths;
    if (!likeness_.KeepsTheBeat(train(counted, hearing, times, widths)) &&
        likeness_.KeepsTheBeat(train(heardBeatsPerSecond_, hearing, times, widths)))
        return heardBeatsPerSecond_;
    return std::nullopt;
}

} // namespace tamsel
