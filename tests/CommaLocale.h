#pragma once
// A German locale (decimal comma), built by the tests themselves into the build folder, so
// that no test depends on the locales a machine happens to have installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tamsel {

inline const char *const kCommaLocale = "de_DE.UTF-8";

// The folder to give as LOCPATH. Built once; parallel tests each build their own copy and
// the first to finish puts it in place.
inline std::string commaLocaleFolder()
{
    const std::string folder = TAMSEL_BINARY_DIR "/test-locales";
    const std::string locale = folder + "/" + kCommaLocale;
    if (access((locale + "/LC_NUMERIC").c_str(), R_OK) != 0) {
        const std::string building = folder + "/building-" + std::to_string(getpid());
        const std::string command = "mkdir -p '" + folder + "' && localedef -i de_DE -f UTF-8 '" + building +
                                    "' >/dev/null 2>&1; mv -T '" + building + "' '" + locale +
                                    "' 2>/dev/null; rm -rf '" + building + "'";
        [[maybe_unused]] const int status = std::system(command.c_str());
    }
    EXPECT_EQ(access((locale + "/LC_NUMERIC").c_str(), R_OK), 0) << "localedef (Debian package locales)";
    return folder;
}

// The C library's numbers in the comma locale, for a scope.
class CommaNumbers {
public:
    CommaNumbers() : saved_(std::setlocale(LC_NUMERIC, nullptr))
    {
        setenv("LOCPATH", commaLocaleFolder().c_str(), 1);
        EXPECT_NE(std::setlocale(LC_NUMERIC, kCommaLocale), nullptr);
    }
    ~CommaNumbers()
    {
        std::setlocale(LC_NUMERIC, saved_.c_str());
        unsetenv("LOCPATH");
    }
    CommaNumbers(const CommaNumbers &) = delete;
    CommaNumbers &operator=(const CommaNumbers &) = delete;

private:
    std::string saved_;
};

} // namespace tamsel
