#include "measurement/Calibration.h"

#include <algorithm>
#include <cstdlib>

#include "measurement/Numbers.h"

namespace tamsel {

namespace {
constexpr int64_t kTimeSignalSeconds = Calibration::kTimeSignalPulses - 1;
constexpr int64_t kNoiseSeconds = 10;
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
    state_.fineCorrection = 0;
    // Not yet: passes over the old sweep follow, and its pulses must not end the calibration.
    state_.timeSignalCalibrating = false;
    state_.samplesPerSecond = kNominalSampleRate;
}

int64_t Calibration::CorrectionFor(int64_t excess)
{
    return RoundHalfAway(static_cast<long double>(excess) / kTimeSignalSeconds);
}

bool Calibration::EndTimeSignalIfDue()
{
    MeasurementState &s = state_;
    if (!s.timeSignalCalibrating || s.beatCount != kTimeSignalPulses)
        return false;
    s.timeSignalCalibrating = false;
    const int64_t excess =
        static_cast<int64_t>(s.scanIndex) - s.intervalStart - kTimeSignalSeconds * kNominalSampleRate;
    const int64_t correction = CorrectionFor(excess);
    s.fineCorrection = std::llabs(correction) < kCorrectionLimit ? static_cast<int32_t>(correction) : 0;
    // Kept equal to 44 100 + fineCorrection, whatever was stepped by hand meanwhile.
    s.samplesPerSecond = kNominalSampleRate + s.fineCorrection;
    output_.timeSignalCalibrationEnded();
    return true;
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

} // namespace tamsel
