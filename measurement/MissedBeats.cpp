#include "measurement/MissedBeats.h"

#include <algorithm>
#include <span>
#include <vector>

#include "measurement/Median.h"
#include "measurement/averaging/BandBank.h"

namespace tamsel {

namespace {
constexpr double kRate = 44100;
constexpr double kLowestHz = 2000, kHighestHz = 10000;
} // namespace

MissedBeats::MissedBeats()
    : highPass_(Biquad::highPass(kLowestHz, Biquad::kSecondOrderQ, kRate)),
      lowPass_(Biquad::lowPass(kHighestHz, Biquad::kSecondOrderQ, kRate))
{}

void MissedBeats::add(std::span<const int16_t> samples)
{
    for (const int16_t s : samples) {
        const auto band = static_cast<float>(lowPass_.step(highPass_.step(s)));
        energy_ += band * band;
        if (++grouped_ == BandBank::kDecimation) {
            envelope_.push(energy_ / BandBank::kDecimation);
            energy_ = 0;
            grouped_ = 0;
        }
    }
}

bool MissedBeats::lookDue() const
{
    return envelope_.end() - lookedAt_ >= static_cast<int64_t>(kLookEverySeconds * BandBank::kEnvelopeRate);
}

bool MissedBeats::look()
{
    lookedAt_ = envelope_.end();
    // A microphone always hisses: pulses out of digital silence (a square wave's edges) are
    // made, not heard.
    const int64_t length = std::min(lookedAt_ - envelope_.begin(),
                                    static_cast<int64_t>(kLookEverySeconds * BandBank::kEnvelopeRate));
    if (length <= 0)
        return false;
    std::vector<float> levels(static_cast<size_t>(length));
    envelope_.copy(lookedAt_ - length, length, levels.data());
    if (medianInPlace(std::span<float>(levels)) < kLeastHiss)
        return false;
    return finder_.find(envelope_, kLookEverySeconds, 0).heard;
}

void MissedBeats::reset()
{
    envelope_.clear();
    highPass_.z1 = highPass_.z2 = lowPass_.z1 = lowPass_.z2 = 0;
    energy_ = 0;
    grouped_ = 0;
    lookedAt_ = 0;
}

} // namespace tamsel
