#pragma once
// The texts of the one shown reading, formatted here from its numbers for every view that
// writes them: the status bar's panels and watch note, the snapshot's line, the CSV line, the
// analyzer's FINAL line. Each measure keeps one rounding, the picture its panel shows.
#include <string>
#include <string_view>

#include "measurement/FormatPicture.h"
#include "measurement/Reading.h"

namespace tamsel {

// The pictures of the measures' numbers, without their units: the decimals every view shows.
inline constexpr std::string_view kRatePicture = "0.000";                      // s/day
inline constexpr std::string_view kBeatErrorPicture = "0.000";                 // ms
inline constexpr std::string_view kAmplitudePicture = "0";                     // degrees
inline constexpr std::string_view kBeatRatePicture = "0.0";                    // beats per second
inline constexpr std::string_view kRateRatioPicture = "0.0000000000000000000"; // of a day
inline constexpr std::string_view kLiftTimePicture = "0.0";                    // ms

// Each empty while the reading shows no such measure. `separator` is the decimal separator:
// the locale's, as the status bar shows them, or "." for lines meant for programs.
// Panel 6: "-3.125 sec/day".
std::string rateText(const Reading &reading, std::string_view separator = DecimalSeparator());
// Panel 2: "0.200 msec", and a clock's beat error also as a share of its beat: "25.000 msec (3.8 %)".
std::string beatErrorText(const Reading &reading, std::string_view separator = DecimalSeparator());
// Panel 4: "275 deg".
std::string amplitudeText(const Reading &reading);
// Panel 7: "拘束時間: 11.9 msec" where the reading shows the lift time.
std::string liftText(const Reading &reading);
// The status bar's watch note: what is heard, also why a watch heard has no amplitude.
std::string hearingText(Reading::Hearing hearing);

// A measure as a number with the rounding its picture shows (halves away from zero): the double
// nearest to the decimal shown, which a program reading the text would get. Worked out exactly,
// without the text, for any double and for a long double below 2^63 / 10^decimals.
double shownValue(std::string_view picture, long double value);

} // namespace tamsel
