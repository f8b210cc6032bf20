#pragma once
// The beat rates that clocks and watches are built to, in beats per hour.
#include <array>

namespace tamsel {

inline constexpr std::array<double, 13> kStandardBeatsPerHour{7200,  9000,  10800, // clocks
                                                              12000, 14400, 16200, 18000, 19800,
                                                              21600, 25200, 28800, 36000, 43200}; // watches

} // namespace tamsel
