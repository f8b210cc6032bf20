#pragma once
// The last seconds of an envelope, addressed by absolute sample number: memory stays the
// same however long the run.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamsel {

class EnvelopeRing {
public:
    static constexpr int64_t kCapacity = int64_t{1} << 17; // 11.9 s at 11 025 samples/s

    EnvelopeRing() : values_(kCapacity) {}

    void push(float v) { values_[static_cast<size_t>(count_++ & (kCapacity - 1))] = v; }
    void clear() { count_ = 0; }

    int64_t end() const { return count_; } // one past the newest
    int64_t begin() const { return count_ > kCapacity ? count_ - kCapacity : 0; }
    bool holds(int64_t from, int64_t to) const { return from >= begin() && to <= end(); }
    float operator[](int64_t i) const { return values_[static_cast<size_t>(i & (kCapacity - 1))]; }

    // Samples [from, from + n) into out; the caller checks holds().
    void copy(int64_t from, int64_t n, float *out) const
    {
        for (int64_t k = 0; k < n; ++k)
            out[k] = (*this)[from + k];
    }

private:
    std::vector<float> values_;
    int64_t count_ = 0;
};

} // namespace tamsel
