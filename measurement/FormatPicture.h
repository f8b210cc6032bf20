#pragma once
// Number-to-text by a picture such as "0.000 sec/day" or "00.0".
#include <optional>
#include <string>
#include <string_view>

namespace tamsel {

// The first run of '0' and '.' characters in the picture is the number: its zeros before the
// '.' give the least number of integer digits (padded with leading zeros), those after it the
// exact number of decimals. x is rounded to that many decimals with halves away from zero.
// Every other character is copied unchanged. A negative value gets a '-' before its digits
// (none when it rounds to zero, so a tiny negative value reads 0.000, not -0.000).
// The decimal separator is the C library locale's (a full stop in C and English locales, a
// comma in German or French ones), or the one given: "." for files meant for programs.
// Not-a-number and infinities are written as "NAN", "INF" and "-INF" in place of the number.
std::string FormatPicture(std::string_view picture, long double x);
std::string FormatPicture(std::string_view picture, long double x, std::string_view separator);
// The C library locale's decimal separator.
std::string DecimalSeparator();

// The number at the start of a text FormatPicture wrote (such as "-4.898 sec/day"), read with
// the same decimal separator; none when the text does not start with one.
std::optional<double> PictureNumber(std::string_view text);

} // namespace tamsel
