#pragma once
// The beat rates that clocks and watches are built to, in beats per hour.
#include <array>

namespace tamsel {

inline constexpr std::array<double, 13> kStandardBeatsPerHour{7200,  9000,  10800, // clocks
                                                              12000, 14400, 16200, 18000, 19800,
                                                              21600, 25200, 28800, 36000, 43200}; // watches

// Clocks slower still, which the averaging measurement also hears: a seconds pendulum (3 600),
// bracket and wall clocks.
inline constexpr std::array<double, 4> kClockBeatsPerHour{3600, 4800, 5400, 6000};

// How far a watch's beat rate may lie from the standard one it is built to: about 1 000 s/day.
// One rule for every way of hearing a watch.
inline constexpr double kStandardRateTolerance = 0.012;

} // namespace tamsel
