#pragma once
#include <cstddef>
#include <cstdint>

namespace tamsel {

// The absolute sample values of the current sweep. Allocated once at full capacity
// (two 900-second sweeps at 44 100/s, plus two) as anonymous zero pages, so only the
// part a sweep actually writes becomes resident.
class SampleHistory {
public:
    static constexpr int32_t kCapacity = 79380002;

    SampleHistory();
    ~SampleHistory();
    SampleHistory(const SampleHistory &) = delete;
    SampleHistory &operator=(const SampleHistory &) = delete;

    uint16_t &operator[](int32_t i) { return data_[i]; }
    uint16_t operator[](int32_t i) const { return data_[i]; }
    const uint16_t *data() const { return data_; }

private:
    uint16_t *data_;
};

} // namespace tamsel
