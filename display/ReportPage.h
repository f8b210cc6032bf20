#pragma once
// A page of the run's report, for a file or the Trend window: a header that says what was
// measured, when and how (the watch, date and length, beat rate, lift angle, input), the
// summary and a verdict against the user's tolerance, and below it the trend's plots.
#include <QDateTime>
#include <QRect>
#include <QString>
#include <optional>

#include "measurement/LongRun.h"

class QPainter;

namespace tamsel {

// The rate a watch may keep, in s/day: from slowest (such as -4) to fastest (such as +6).
struct RateTolerance {
    double slowest = 0;
    double fastest = 0;
};

// "-4,+6": two numbers, the slower first. None for anything else.
std::optional<RateTolerance> parseRateTolerance(const QString &text);

// What the numbers alone do not say. Anything not known stays empty or 0 and is left out.
struct ReportFacts {
    QString title;   // the user's line for the watch
    QDateTime start; // when the run began
    double beatsPerHour = 0;
    int liftAngle = 0;
    QString input; // "microphone", or the recording's name
    std::optional<RateTolerance> tolerance;
};

class ReportPage {
public:
    // The header, the summary table and the plots in area; emptyText stands for plots without
    // a point.
    static void draw(QPainter &painter, const QRect &area, const LongRun &run, const ReportFacts &facts,
                     const QString &emptyText);
};

} // namespace tamsel
