#include "measurement/averaging/KthSmallest.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace tamsel {

namespace {

// A float's bits turned into an unsigned number of the same order.
uint32_t orderedKey(float v)
{
    const auto bits = std::bit_cast<uint32_t>(v);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

float fromKey(uint32_t key)
{
    return std::bit_cast<float>((key & 0x80000000u) != 0 ? key & 0x7fffffffu : ~key);
}

} // namespace

// A byte of the key at a time, from the top: count the candidates by that byte, keep those in
// the bucket the k-th falls in.
float kthSmallest(std::span<const float> values, size_t k)
{
    if (values.empty())
        return 0;
    std::vector<uint32_t> keys(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        keys[i] = orderedKey(values[i]);
    size_t candidates = keys.size();
    for (int shift = 24; shift >= 0; shift -= 8) {
        // Four tallies taken in turn: values in one bucket would otherwise each wait for the
        // count the one before wrote.
        std::array<std::array<uint32_t, 256>, 4> tallies{};
        size_t i = 0;
        for (; i + 4 <= candidates; i += 4)
            for (size_t t = 0; t < 4; ++t)
                ++tallies[t][(keys[i + t] >> shift) & 0xffu];
        for (; i < candidates; ++i)
            ++tallies[0][(keys[i] >> shift) & 0xffu];
        uint32_t digit = 0;
        for (;;) {
            const size_t count =
                size_t{tallies[0][digit]} + tallies[1][digit] + tallies[2][digit] + tallies[3][digit];
            if (k < count)
                break;
            k -= count;
            ++digit;
        }
        size_t kept = 0;
        for (size_t i = 0; i < candidates; ++i) {
            keys[kept] = keys[i];
            kept += ((keys[i] >> shift) & 0xffu) == digit ? 1 : 0;
        }
        candidates = kept;
    }
    return fromKey(keys[0]);
}

} // namespace tamsel
