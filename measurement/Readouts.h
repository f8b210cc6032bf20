#pragma once
// The texts of the readouts and the hand steps of the beat rate: plain numbers and strings,
// so they can be read and tested without the window.
#include <cstdint>
#include <string>
#include <string_view>

namespace tamsel {

// A number for an LED readout: its decimal point is the display's dot, whatever the locale.
std::string ledNumber(std::string_view picture, long double x);
// The beat rate as `bpss` shows it: beats per hour in the hour unit, else a space and the
// beats per second ("00.0", or "0000" from 100 on).
std::string beatRateText(double beatsPerSecond, int32_t beatUnit);
// The hint of `bpss`: the beat rate in the other unit.
std::string beatRateOtherUnitHint(double beatsPerSecond, int32_t beatUnit);
// Beat Up / Beat Down: the next beat rate by the steps of the unit shown.
double beatRateUp(double beatsPerSecond, int32_t beatUnit);
double beatRateDown(double beatsPerSecond, int32_t beatUnit);
// Switching to the second unit keeps one decimal (halves to even).
double beatRateInSecondUnit(double beatsPerSecond);
// A two-valued mode toggled by a click: 0 and 1 swap, any other value stays.
inline int32_t toggledMode(int32_t mode)
{
    return mode == 0 ? 1 : mode == 1 ? 0 : mode;
}

} // namespace tamsel
