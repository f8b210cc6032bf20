#pragma once
// A length of audio as a clock shows it: "m:ss", or "h:mm:ss" from an hour on (or always).
#include <cstdint>
#include <cstdio>
#include <string>

namespace tamsel {

inline std::string clockText(int64_t wholeSeconds, bool alwaysHours = false)
{
    const long long s = wholeSeconds < 0 ? 0 : wholeSeconds;
    char text[32];
    if (alwaysHours || s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}

} // namespace tamsel
