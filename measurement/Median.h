#pragma once
// The middle value of a set: what the measurements take as typical, since a few loud
// outliers (clicks, stray beats) cannot move it.
#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace tamsel {

// The middle value (the upper one of an even count), reordering `values`; 0 for none.
template <class T> T medianInPlace(std::span<T> values)
{
    if (values.empty())
        return T{};
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

template <class T> T median(std::vector<T> values)
{
    return medianInPlace(std::span<T>(values));
}

} // namespace tamsel
