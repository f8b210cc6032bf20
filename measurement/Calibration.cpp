#include "measurement/Calibration.h"

#include <algorithm>
#include <cmath>

#include "measurement/Numbers.h"

namespace tamsel {

namespace {
constexpr int64_t kNoiseSeconds = 10;
constexpr long double kSecondsPerDay = 86400;

// Thousandths of a second per day: what the settings file and the analyzer keep, far below
// what any calibration resolves.
double Thousandths(long double secondsPerDay)
{
    return static_cast<double>(std::nearbyint(secondsPerDay * 1000) / 1000) + 0.0; // no -0
}
} // namespace

int32_t Calibration::MeasureNoiseLevel()
{
    MeasurementState &s = state_;
    const int64_t last =
        std::min<int64_t>({kNoiseSeconds * s.samplesPerSecond, s.writeIndex, SampleHistory::kCapacity - 1});
    const uint16_t *samples = s.sampleHistory.data();
    uint16_t largest = 0;
    for (int64_t i = 0; i <= last; ++i)
        largest = std::max(largest, samples[i]);
    s.noiseLevel = largest + 1;
    return s.noiseLevel;
}

void Calibration::StartTimeSignal()
{
    // A calibration restarted before the last one ended keeps what was in force before both.
    if (!state_.timeSignalCalibrating) {
        fineBefore_ = state_.fineCorrection;
        clockBefore_ = state_.clockCorrection;
    }
    fit_.restart();
    state_.fineCorrection = 0;
    state_.clockCorrection = 0;
    // Not yet: passes over the old sweep follow, and its pulses must not end the calibration.
    state_.timeSignalCalibrating = false;
    state_.samplesPerSecond = kNominalSampleRate;
}

double Calibration::ClockCorrectionFor(long double trueRate, int32_t samplesPerSecond)
{
    return Thousandths((trueRate / samplesPerSecond - 1) * kSecondsPerDay);
}

double Calibration::CorrectionInForce(const MeasurementState &state)
{
    return static_cast<double>((state.trueSamplesPerSecond() / kNominalSampleRate - 1) * kSecondsPerDay);
}

bool Calibration::TimeSignalPulse(const Beat &beat, bool counted)
{
    MeasurementState &s = state_;
    if (!s.timeSignalCalibrating)
        return false;
    if (counted && s.beatCount == 1)
        fit_.restart();
    const TimeSignalFit::Verdict verdict =
        counted ? fit_.counted(beat.beatTime, s.beatCount - 1) : fit_.uncounted(beat.beatTime);
    if (verdict == TimeSignalFit::Verdict::Listening)
        return false;
    s.timeSignalCalibrating = false;
    if (verdict == TimeSignalFit::Verdict::NotHeard) {
        PutCorrectionsBack();
        output_.timeSignalNotHeard();
        return true;
    }
    // Pulses 0.1 % apart at most: the whole samples stay far inside their range.
    SetTrueRate(fit_.samplesPerSecond());
    output_.timeSignalCalibrationEnded();
    return true;
}

void Calibration::SetTrueRate(long double trueRate)
{
    MeasurementState &s = state_;
    s.fineCorrection = static_cast<int32_t>(RoundHalfAway(trueRate - kNominalSampleRate));
    s.samplesPerSecond = kNominalSampleRate + s.fineCorrection;
    s.clockCorrection = ClockCorrectionFor(trueRate, s.samplesPerSecond);
}

void Calibration::AbandonTimeSignal()
{
    if (!state_.timeSignalCalibrating)
        return;
    state_.timeSignalCalibrating = false;
    PutCorrectionsBack();
}

void Calibration::PutCorrectionsBack()
{
    state_.fineCorrection = fineBefore_;
    state_.clockCorrection = clockBefore_;
    state_.samplesPerSecond = kNominalSampleRate + state_.fineCorrection;
}

void Calibration::ResetCorrections()
{
    fineBefore_ = 0;
    clockBefore_ = 0;
    PutCorrectionsBack(); // while a time signal is listened to, none is in force already
}

bool Calibration::StepFineCorrection(int32_t step)
{
    const int64_t next = static_cast<int64_t>(state_.fineCorrection) + step;
    if (!fineCorrectionAllowed(next))
        return false;
    state_.fineCorrection = static_cast<int32_t>(next);
    state_.samplesPerSecond = kNominalSampleRate + state_.fineCorrection;
    return true;
}

bool Calibration::StepClockCorrection(int32_t tenths)
{
    const double next = Thousandths(state_.clockCorrection + tenths / 10.0L);
    if (!kClockCorrectionRange.holds(next))
        return false;
    state_.clockCorrection = next;
    return true;
}

} // namespace tamsel
