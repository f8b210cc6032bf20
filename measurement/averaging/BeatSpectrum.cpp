#include "measurement/averaging/BeatSpectrum.h"

#include <algorithm>
#include <cmath>
#include <kiss_fftr.h>

namespace tamsel {

namespace {
// Input samples kept: a clock's beat is placed up to some 0.7 s after its unlocking, and a
// buffer may bring a second more.
constexpr int64_t kRing = int64_t{1} << 17;
} // namespace

struct BeatSpectrum::Fft {
    kiss_fftr_cfg forward = kiss_fftr_alloc(kWindow, 0, nullptr, nullptr);
    std::vector<kiss_fft_cpx> bins = std::vector<kiss_fft_cpx>(kWindow / 2 + 1);
    ~Fft() { kiss_fftr_free(forward); }
};

BeatSpectrum::BeatSpectrum() : fft_(new Fft), ring_(kRing), window_(kWindow), weights_(kWindow)
{
    constexpr double kPi = 3.14159265358979323846;
    for (int i = 0; i < kWindow; ++i)
        weights_[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2 * kPi * i / kWindow));
}

BeatSpectrum::~BeatSpectrum()
{
    delete fft_;
}

void BeatSpectrum::reset()
{
    heard_ = 0;
    forget();
}

void BeatSpectrum::forget()
{
    waiting_.clear();
    lastTaken_ = -kLeastApart;
    power_.clear();
    beats_ = 0;
}

void BeatSpectrum::add(const int16_t *samples, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        ring_[static_cast<size_t>((heard_ + static_cast<int64_t>(i)) & (kRing - 1))] = samples[i];
    heard_ += static_cast<int64_t>(count);
    std::erase_if(waiting_, [this](int64_t from) {
        if (from + kWindow > heard_)
            return false;
        take(from);
        return true;
    });
}

void BeatSpectrum::beatAt(double unlocking, double loudest)
{
    const int64_t from = std::max(std::llround(unlocking) - kBefore, std::llround(loudest) - kWindow / 2);
    if (from - lastTaken_ < kLeastApart || from < 0 || from < heard_ - kRing)
        return;
    lastTaken_ = from;
    if (from + kWindow <= heard_)
        take(from);
    else
        waiting_.push_back(from);
}

void BeatSpectrum::take(int64_t from)
{
    if (from < heard_ - kRing)
        return; // no longer held
    for (int i = 0; i < kWindow; ++i)
        window_[static_cast<size_t>(i)] =
            weights_[static_cast<size_t>(i)] * ring_[static_cast<size_t>((from + i) & (kRing - 1))];
    kiss_fftr(fft_->forward, window_.data(), fft_->bins.data());
    power_.resize(fft_->bins.size());
    beats_ = std::min(beats_ + 1, kMostBeats);
    const float share = 1.0f / static_cast<float>(beats_);
    for (size_t k = 0; k < power_.size(); ++k) {
        const kiss_fft_cpx &c = fft_->bins[k];
        power_[k] += share * (c.r * c.r + c.i * c.i - power_[k]);
    }
}

} // namespace tamsel
