#include "measurement/BeatScope.h"

#include <algorithm>
#include <cmath>

#include "measurement/AveragedMeasures.h"
#include "measurement/MeasurementEngine.h"
#include "measurement/ValueRanges.h"

namespace tamsel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kSpectrumFromHz = 1000, kSpectrumToHz = 20000;

// A template in milliseconds from its unlocking, its drop the sub-event that lies the lift after
// it (tick and tock agree on the lift to within 0.7 ms).
ScopeTrace traceOf(const BeatTemplate &shape, const BeatTemplate::SubEvents &events, double liftPoints,
                   double msPerPoint)
{
    ScopeTrace trace;
    const std::vector<float> &values = shape.shape();
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    const float range = *most - *least;
    trace.level.reserve(values.size());
    for (float v : values)
        trace.level.push_back(range > 0 ? (v - *least) / range : 0.0f);
    trace.msPerPoint = msPerPoint;
    trace.firstMs = -events.first() * msPerPoint;
    trace.beats = shape.beats();
    double loudest = 0;
    for (double h : events.heights)
        loudest = std::max(loudest, h);
    double nearest = 0; // how far the drop so far lies from the lift's end
    for (size_t i = 0; i < events.rises.size(); ++i) {
        trace.eventsMs.push_back((events.rises[i] - events.first()) * msPerPoint);
        trace.heights.push_back(loudest > 0 ? events.heights[i] / loudest : 0);
        const double off = std::fabs(events.rises[i] - events.first() - liftPoints);
        if (liftPoints > 0 && i > 0 && (trace.drop < 0 || off < nearest)) {
            trace.drop = static_cast<int>(i);
            nearest = off;
        }
    }
    return trace;
}

} // namespace

double BeatScope::amplitudeAt(double ms) const
{
    if (!amplitudeShown || ms <= 0)
        return 0;
    AveragingMeter::Reading reading;
    reading.lift = ms * samplesPerMs;
    reading.beatPeriod = beatPeriod;
    return AveragingMeter::amplitude(liftAngle, reading);
}

double BeatScope::msForAmplitude(double degrees) const
{
    const double sine = liftAngle / (2 * degrees);
    if (!amplitudeShown || degrees <= 0 || sine > 1)
        return 0;
    return 2 * beatPeriod / kPi * std::asin(sine) / samplesPerMs;
}

BeatScope BeatScope::of(const MeasurementEngine &engine)
{
    BeatScope scope;
    const AveragingMeter &meter = engine.meter();
    if (!engine.averagingAsked()) {
        scope.emptyReason = kFilterOff;
        return scope;
    }
    if (!meter.hasReading() || meter.tickTemplate().empty()) {
        scope.emptyReason = meter.hearing() == AveragingMeter::Hearing::Weak ? kWeak : kNoWatch;
        return scope;
    }
    const AveragingMeter::Reading &reading = meter.reading();
    const MeasurementState &state = engine.state();
    // As the lift time's readout counts: the nominal rate, by the clock correction.
    scope.samplesPerMs = static_cast<double>(kNominalSampleRate * state.clockFactor() / 1000);
    scope.beatPeriod = reading.beatPeriod;
    scope.beatsPerHour = reading.beatsPerHour;
    scope.liftAngle = state.liftAngle;
    scope.amplitudeShown = reading.beatsPerHour >= AveragedMeasures::kLeastAmplitudeBeatsPerHour;
    scope.liftMs = reading.lift / scope.samplesPerMs;
    scope.beatErrorMs = reading.tockLate / scope.samplesPerMs;
    const double msPerPoint = BandBank::kDecimation / scope.samplesPerMs;
    const double liftPoints = reading.lift / BandBank::kDecimation;
    scope.tick = traceOf(meter.tickTemplate(), meter.tickEvents(), liftPoints, msPerPoint);
    scope.tock = traceOf(meter.tockTemplate(), meter.tockEvents(), liftPoints, msPerPoint);
    scope.beatsAveraged = reading.beats;
    scope.latestFit = meter.latestFit();
    scope.recentFitShare = meter.recentFitShare();

    const std::vector<float> &power = meter.spectrum().power();
    const auto first = static_cast<size_t>(std::ceil(kSpectrumFromHz / BeatSpectrum::kHzPerBin));
    const auto last = static_cast<size_t>(kSpectrumToHz / BeatSpectrum::kHzPerBin);
    if (power.size() > last)
        scope.spectrum.assign(power.begin() + static_cast<std::ptrdiff_t>(first),
                              power.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    scope.spectrumFirstHz = static_cast<double>(first) * BeatSpectrum::kHzPerBin;
    scope.hzPerBin = BeatSpectrum::kHzPerBin;
    const BandBank::Band band = meter.listeningBand();
    scope.bandLowHz = band.lowHz;
    scope.bandHighHz = band.highHz;
    return scope;
}

} // namespace tamsel
