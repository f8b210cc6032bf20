#include "tools/OptionRules.h"

#include <algorithm>
#include <iterator>

#include "support/RangedOption.h"

namespace tamsel {

namespace {

// Options that do nothing without another.
constexpr std::pair<const char *, const char *> kCompanions[] = {
    {"jpeg", "record"},
    {"print-scale", "record"},
    {"print-signal", "record"},
    {"print-values", "record"},
    {"position-names", "positions"},
    {"device", "live"},
    {"duration", "live"},
    {"title", "report"},
    {"tolerance", "report"},
    {"beat-error-max", "report"},
    {"amplitude-min", "report"},
};

// Options that do nothing, or contradict each other, together: the first does not apply with
// the second. --help names each pair in the text of one of the two.
constexpr std::pair<const char *, const char *> kConflicts[] = {
    // A positional test prints its summary only: no sweep lines, stamps, records or report.
    {"record", "positions"},
    {"time-signal", "positions"},
    {"json", "positions"},
    {"header", "positions"},
    {"report", "positions"},
    {"scope", "positions"},
    {"start", "positions"},
    {"live", "positions"},
    {"card-clock", "positions"},
    // The SUMMARY line is a CSV line; a header names CSV fields.
    {"json", "report"},
    {"header", "json"},
    {"start", "live"},
    // The time signal sets the clock correction itself.
    {"card-clock", "time-signal"},
};

// What a CSV log given in place of a recording takes: it is read, not measured.
constexpr const char *kForACsvLog[] = {"report", "quiet",    "title", "tolerance", "beat-error-max",
                                       "amplitude-min", "help", "help-all", "h", "version", "v"};

QString dashed(const QString &name)
{
    return QStringLiteral("--") + name;
}

} // namespace

void refuseOptionsThatDoNotApply(const QCommandLineParser &args)
{
    if (args.isSet("record") && args.value("record").isEmpty())
        commandLineError(QStringLiteral("--record needs a folder"));
    const QStringList files = args.positionalArguments();
    if (files.size() == 1 && files.first().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        for (const QString &option : args.optionNames())
            if (std::none_of(std::begin(kForACsvLog), std::end(kForACsvLog),
                             [&](const char *allowed) { return option == QLatin1String(allowed); }))
                commandLineError(
                    QStringLiteral("%1 does not apply to a CSV log (%2 is read, not measured: only "
                                   "--report, --title, --tolerance, --beat-error-max, --amplitude-min and --quiet "
                                   "apply)")
                        .arg(dashed(option), files.first()));
    for (const auto &[option, companion] : kCompanions)
        if (args.isSet(option) && !args.isSet(companion))
            commandLineError(QStringLiteral("--%1 applies only with --%2")
                                 .arg(QLatin1String(option), QLatin1String(companion)));
    for (const auto &[option, other] : kConflicts)
        if (args.isSet(option) && args.isSet(other))
            commandLineError(QStringLiteral("--%1 does not apply with --%2")
                                 .arg(QLatin1String(option), QLatin1String(other)));
}

} // namespace tamsel
