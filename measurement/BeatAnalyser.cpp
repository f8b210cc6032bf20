#include "measurement/BeatAnalyser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "measurement/Median.h"
#include "measurement/Numbers.h"
#include "measurement/StandardRates.h"

namespace tamsel {

namespace {
// Window of the neighbourhood test on each side of a candidate.
constexpr int64_t kPeakWindow = 1000;
// Without a beat rate, the first beat is confirmed one period of 8 beats/s later (less 500).
constexpr int64_t kUnknownRateConfirmOffset = 5012;
constexpr int64_t kConfirmLead = 500;
constexpr int64_t kConfirmWindow = 1000;
constexpr int64_t kUnknownRateHalfWidth = 1000;
// At zoom 1 an accepted candidate skips the rest of a clipped plateau.
constexpr int32_t kAcceptedSkip = 300;
// The beat counter's dead time after a pulse, and the most pulses it counts.
constexpr int64_t kCounterDeadTime = 2200;
constexpr int64_t kCounterLimit = 20;
// How far the pulses of an even train may stray from their typical spacing: beat error and
// the rising edge's jitter, a few per cent at most.
constexpr double kEvenSpacing = 0.05;

// A whole count of one second is a beat too many or too few for a watch between whole beats a
// second (19 800 bph: 5 or 6 pulses). The pulses' typical spacing then shows the standard rate
// the count missed. Only an even train tells: a beat missed or a click among the beats leaves
// the count as it is, and so does a count that agrees with the spacing.
double CountedBeatsPerSecond(const int64_t *pulses, int64_t count, int32_t samplesPerSecond)
{
    if (count < 2)
        return static_cast<double>(count);
    std::vector<double> spacings;
    for (int64_t k = 1; k < count; ++k)
        spacings.push_back(static_cast<double>(pulses[k] - pulses[k - 1]));
    const double typical = median(spacings);
    if (std::any_of(spacings.begin(), spacings.end(),
                    [typical](double s) { return std::fabs(s / typical - 1) > kEvenSpacing; }))
        return static_cast<double>(count);
    const double spaced = samplesPerSecond / typical;
    const auto near = [](double bps, double standardBph) {
        return std::fabs(bps * 3600 - standardBph) <= kStandardRateTolerance * standardBph;
    };
    // Half rates only: the averaged rate spans two seconds of beats there, as for a rate set by
    // hand. A whole rate counted one too many (a pulse at each end of the second) stays so, and
    // the watch test refuses that count.
    for (const double standard : kStandardBeatsPerHour) {
        const bool halfRate = std::fmod(standard, 3600) == 1800;
        if (halfRate && near(spaced, standard) && !near(static_cast<double>(count), standard))
            return standard / 3600;
    }
    return static_cast<double>(count);
}

// Trunc for sample counts derived from a beat period; a period from an absurd beat rate
// is clamped so that the conversion stays defined.
int64_t WholeSamples(long double x)
{
    return Trunc(std::clamp(x, -0x1p40L, 0x1p40L));
}
} // namespace

BeatAnalyser::BeatAnalyser(MeasurementState &state, AnalysisOutput &output)
    : state_(state), output_(output), measures_(state, output), calibration_(state, output)
{}

int64_t BeatAnalyser::SearchHalfWidth() const
{
    if (!state_.beatRateSet())
        return kUnknownRateHalfWidth;
    return WholeSamples(state_.beatPeriod() / 2 * 0.8L);
}

// The highest entry that belongs to the sweep so far.
int64_t BeatAnalyser::LastReadable() const
{
    return std::min<int64_t>({state_.writeIndex, state_.samplesPerSweep, SampleHistory::kCapacity - 1});
}

void BeatAnalyser::AnalyseSamples(const AnalysisControls &controls)
{
    if (!controls.running)
        return;
    output_.passStarted();
    const uint16_t *samples = state_.sampleHistory.data();
    const int32_t threshold = controls.thresholdLevel;
    for (;;) {
        int64_t last = LastReadable();
        // Leave the candidates that lack half a period of samples after them to the next pass.
        if (state_.beatRateSet())
            last = std::min(last, state_.writeIndex - SearchHalfWidth());
        int64_t i = std::max<int64_t>(state_.scanIndex, 0);
        while (i <= last && samples[i] < threshold)
            ++i;
        if (i > last) {
            state_.scanIndex = static_cast<int32_t>(std::max<int64_t>(state_.scanIndex, last + 1));
            break;
        }
        const int32_t index = static_cast<int32_t>(i);
        state_.scanIndex = index;
        const bool accepted = IsBeatPeak(index, controls);
        if (accepted)
            HandleCandidate(index, controls);
        state_.scanIndex = index + 1 + (accepted && state_.zoom == 1 ? kAcceptedSkip : 0);
    }
    output_.passEnded();
}

void BeatAnalyser::HandleCandidate(int32_t index, const AnalysisControls &controls)
{
    Beat beat;
    beat.peakIndex = index;
    if (controls.pulseMode || state_.timeSignalCalibrating) {
        beat.pulseStart = static_cast<uint32_t>(index);
        beat.pulseEnd = beat.latePeak = index;
    } else {
        FindPulseBoundaries(beat);
    }
    beat.beatTime = controls.acMode ? static_cast<int32_t>(beat.pulseStart) : index;
    const bool counted = state_.beatRateSet() && CountBeat(beat);
    // While calibrating, every pulse goes to the time-signal fit instead of the rate; a pulse
    // that added no beat leaves the rate as it was.
    if (state_.beatRateSet() && state_.timeSignalCalibrating)
        calibration_.TimeSignalPulse(beat, counted);
    else if (state_.beatRateSet() && state_.beatCount > 1 && counted)
        measures_.UpdateRate(beat);
    measures_.UpdateBeatHistory(beat, controls);
    output_.beatMarked(beat);
}

bool BeatAnalyser::IsBeatPeak(int32_t index, const AnalysisControls &controls) const
{
    const int64_t a = index;
    if (a < 0 || a >= SampleHistory::kCapacity)
        return false;
    const uint16_t *h = state_.sampleHistory.data();
    const uint16_t s = h[a];
    if (controls.highResolution)
        return true;
    const int64_t last = LastReadable();
    bool verdict = true;
    for (int64_t i = a; i <= std::min(a + kPeakWindow - 1, last); ++i) {
        if (h[i] > s) {
            verdict = false;
            break;
        }
    }
    // Index 0 is never looked at.
    for (int64_t j = a; verdict && j >= std::max<int64_t>(1, a - kPeakWindow + 1); --j) {
        if (h[j] > s)
            verdict = false;
    }
    if (state_.beatCount > 0)
        return verdict;
    // First beat of the sweep: a pulse must follow about one period later. The confirmation
    // decides even over a larger neighbour; without the samples to look at, the verdict stands.
    int64_t start = state_.beatRateSet() ? a + WholeSamples(state_.beatPeriod()) - kConfirmLead
                                         : a + kUnknownRateConfirmOffset;
    start = std::max<int64_t>(start, 0);
    const int64_t end = std::min(start + kConfirmWindow - 1, last);
    for (int64_t k = start; k <= end; ++k) {
        if (h[k] >= controls.thresholdLevel)
            return true;
    }
    return start <= end ? false : verdict;
}

void BeatAnalyser::FindPulseBoundaries(Beat &beat) const
{
    const uint16_t *h = state_.sampleHistory.data();
    const int64_t peak = beat.peakIndex;
    const int64_t halfWidth = SearchHalfWidth();
    const long double edge = state_.noiseLevel + 1 + 0.04L * h[peak];
    int64_t start = std::max<int64_t>(peak - halfWidth, 0);
    int64_t end = std::min<int64_t>({peak + halfWidth, state_.writeIndex, SampleHistory::kCapacity - 1});
    end = std::max(end, peak);
    beat.pulseStartFound = h[start] <= edge;
    while (start < peak && h[start] <= edge)
        ++start;
    while (end > peak && h[end] <= edge)
        --end;
    // The largest sample of the last third, the latest among equals.
    const int64_t lastThird = start + 2 * ((end - start) / 3);
    int64_t late = end;
    for (int64_t i = end - 1; i > lastThird; --i) {
        if (h[i] > h[late])
            late = i;
    }
    beat.pulseStart = static_cast<uint32_t>(start);
    beat.pulseEnd = static_cast<int32_t>(end);
    beat.latePeak = static_cast<int32_t>(late);
}

bool BeatAnalyser::CountBeat(Beat &beat)
{
    if (state_.beatCount == 0) {
        output_.firstBeatOfSweep();
        state_.beatCount = 1;
        state_.intervalStart = state_.lastBeatIndex = state_.previousBeatIndex = beat.beatTime;
        beat.inStep = true;
        return true;
    }
    const long double period = state_.beatPeriod();
    const long double low = state_.timeSignalCalibrating ? 0.98L : 0.8L;
    const long double high = state_.timeSignalCalibrating ? 1.02L : 1.2L;
    const int64_t d = static_cast<int64_t>(beat.beatTime) - state_.lastBeatIndex;
    if (low * period <= d && d <= high * period) {
        ++state_.beatCount;
        state_.previousBeatIndex = state_.lastBeatIndex;
        state_.lastBeatIndex = beat.beatTime;
        beat.inStep = true;
        return true;
    }
    // A late pulse follows missed beats: count the nearest whole number of periods, so that
    // a gaining watch (a pulse just short of k periods) keeps its lock. An early pulse or
    // one that is no beat counts nothing. The expected time moves in whole nominal periods.
    beat.inStep = false;
    const int64_t n = d > high * period ? RoundHalfAway(std::min<long double>(d / period, 0x1p31L)) : 0;
    if (n == 0)
        return false;
    state_.beatCount = static_cast<int32_t>(state_.beatCount + n);
    state_.previousBeatIndex = static_cast<int32_t>(state_.lastBeatIndex + (n - 1) * WholeSamples(period));
    state_.lastBeatIndex = static_cast<int32_t>(state_.lastBeatIndex + n * WholeSamples(period));
    return true;
}

void BeatAnalyser::CountBeats(const AnalysisControls &controls)
{
    if (!controls.beatCounterOn)
        return;
    const uint16_t *h = state_.sampleHistory.data();
    const int64_t last =
        std::min<int64_t>({state_.samplesPerSecond, state_.writeIndex, SampleHistory::kCapacity - 1});
    std::array<int64_t, kCounterLimit + 1> pulses{};
    int64_t count = 0;
    for (int64_t j = 0; j <= last && count <= kCounterLimit; ++j) {
        if (h[j] >= controls.thresholdLevel) {
            pulses[static_cast<size_t>(count)] = j;
            j += kCounterDeadTime;
            ++count;
        }
    }
    state_.beatsPerSecond = CountedBeatsPerSecond(pulses.data(), count, state_.samplesPerSecond);
    output_.beatRateCounted();
}

} // namespace tamsel
