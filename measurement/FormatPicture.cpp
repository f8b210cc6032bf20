#include "measurement/FormatPicture.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>

namespace tamsel {

namespace {

struct NumberSection {
    size_t begin = std::string_view::npos; // first character of the number run
    size_t end = 0;                        // one past its last character
    int integerDigits = 0;
    int decimals = 0;
    bool hasPoint = false;
};

NumberSection FindNumberSection(std::string_view picture)
{
    NumberSection n;
    size_t i = picture.find_first_of("0.");
    if (i == std::string_view::npos)
        return n;
    n.begin = i;
    for (; i < picture.size(); ++i) {
        const char c = picture[i];
        if (c == '.' && !n.hasPoint)
            n.hasPoint = true;
        else if (c == '0')
            ++(n.hasPoint ? n.decimals : n.integerDigits);
        else
            break;
    }
    n.end = i;
    return n;
}

// Fixed-point digits of a non-negative finite value, with a full stop. printf rounds the
// exact binary value, ties to even; an exact tie can only occur when v × 2^(decimals+1) is an
// odd integer, and then the digit string is rounded away from zero by hand.
std::string FixedDigits(long double v, int decimals)
{
    const long double scaled = std::ldexp(v, decimals + 1);
    const bool tie = std::fmod(scaled, 2.0L) == 1.0L;
    const int printed = tie ? decimals + 1 : decimals;
    std::string s(64, '\0');
    int size = std::snprintf(s.data(), s.size(), "%.*Lf", printed, v);
    if (size >= static_cast<int>(s.size())) { // very large values: thousands of digits
        s.assign(static_cast<size_t>(size) + 1, '\0');
        size = std::snprintf(s.data(), s.size(), "%.*Lf", printed, v);
    }
    s.resize(static_cast<size_t>(std::max(size, 0)));
    // printf writes the C library locale's separator, which may be a comma or longer than
    // one character: whatever stands between the integer and the fraction digits.
    const size_t integerEnd = s.find_first_not_of("0123456789");
    if (integerEnd != std::string::npos) {
        const size_t fractionBegin = s.find_last_not_of("0123456789") + 1;
        s[integerEnd] = '.';
        s.erase(integerEnd + 1, fractionBegin - integerEnd - 1);
    }
    if (!tie)
        return s;
    s.pop_back(); // the final '5'
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    int i = static_cast<int>(s.size()) - 1;
    for (; i >= 0; --i) {
        if (s[i] == '.')
            continue;
        if (s[i] != '9') {
            ++s[i];
            break;
        }
        s[i] = '0';
    }
    if (i < 0)
        s.insert(s.begin(), '1');
    return s;
}

std::string NumberText(const NumberSection &n, long double x, std::string_view separator)
{
    if (std::isnan(x))
        return "NAN";
    if (std::isinf(x))
        return x < 0 ? "-INF" : "INF";
    std::string digits = FixedDigits(std::fabs(x), n.decimals);
    const size_t point = digits.find('.');
    std::string integer = digits.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    if (integer == "0")
        integer.clear();
    if (static_cast<int>(integer.size()) < n.integerDigits)
        integer.insert(0, n.integerDigits - integer.size(), '0');
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    std::string text = (x < 0 && !zero) ? "-" : "";
    text += integer;
    if (!fraction.empty()) {
        text += separator;
        text += fraction;
    }
    return text;
}

} // namespace

std::string DecimalSeparator()
{
    const char *separator = std::localeconv()->decimal_point;
    return separator && *separator ? separator : ".";
}

std::string FormatPicture(std::string_view picture, long double x, std::string_view separator)
{
    const NumberSection n = FindNumberSection(picture);
    if (n.begin == std::string_view::npos)
        return std::string(picture) + NumberText(n, x, separator);
    std::string out(picture.substr(0, n.begin));
    out += NumberText(n, x, separator);
    out += picture.substr(n.end);
    return out;
}

std::string FormatPicture(std::string_view picture, long double x)
{
    return FormatPicture(picture, x, DecimalSeparator());
}

std::optional<double> PictureNumber(std::string_view text)
{
    std::string number;
    size_t i = text.find_first_not_of(' ');
    if (i != std::string_view::npos && text[i] == '-')
        number += text[i++];
    const std::string separator = DecimalSeparator();
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            number += text[i];
        } else if (text.substr(i).starts_with(separator) && number.find('.') == std::string::npos) {
            number += '.';
            i += separator.size() - 1;
        } else {
            break;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return std::nullopt;
    return value;
}

} // namespace tamsel
