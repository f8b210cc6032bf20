#pragma once
// The k-th smallest of many values in no order, found by counting rather than by reordering:
// a partial sort mispredicts a branch at nearly every comparison, which made taking a band's
// typical level once a second dearer than filtering the second's sound.
#include <cstddef>
#include <span>

namespace tamsel {

// k counts from 0 and lies below values.size(); the values are left as they are.
float kthSmallest(std::span<const float> values, size_t k);

} // namespace tamsel
