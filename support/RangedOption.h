#pragma once
// A numeric command-line option and the values it takes. The range is part of its --help
// text; a value outside it, or no number at all, ends the program with one line naming the
// option and its range, and exit status 2.
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

#include "measurement/ValueRanges.h"

namespace tamsel {

class RangedOption {
public:
    // Whole numbers.
    RangedOption(const char *name, const char *help, IntRange range);
    // Real numbers (never NaN or infinite).
    RangedOption(const char *name, const char *help, double min, double max);

    QCommandLineOption option() const;
    // The value given, or none when the option is absent. Only for whole-number options.
    std::optional<int32_t> whole(const QCommandLineParser &args) const;
    std::optional<double> real(const QCommandLineParser &args) const;

private:
    QString rangeText() const;
    [[noreturn]] void refuse(const QString &value) const;

    QString name_;
    QString help_;
    double min_;
    double max_;
    bool whole_;
};

// Ends the program as a wrong command line does: "<program>: <message>" and exit status 2.
[[noreturn]] void commandLineError(const QString &message);

} // namespace tamsel
