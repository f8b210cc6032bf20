#pragma once
// A page of the run's report, for a file or the Trend window: a header that says what was
// measured, when and how (the watch, date and length, beat rate, lift angle, input), the
// summary, a verdict on each measure against the user's limits, a hint when too few sweeps make
// the plots, and below it the trend's plots.
#include <QDateTime>
#include <QRect>
#include <QString>
#include <optional>

#include "display/TrendPlot.h"
#include "measurement/BeatScope.h"
#include "measurement/LongRun.h"

class QPainter;

namespace tamsel {

// A verdict asked for judges the mean beat error and amplitude too, by these unless given.
constexpr double kDefaultBeatErrorMax = 0.6; // ms
constexpr double kDefaultAmplitudeMin = 200; // degrees

// "-4,+6": two numbers, the slower first. None for anything else.
std::optional<RateTolerance> parseRateTolerance(const QString &text);

// What the numbers alone do not say. Anything not known stays empty or 0 and is left out.
struct ReportFacts {
    QString title;   // the user's line for the watch
    QDateTime start; // when the run began
    double beatsPerHour = 0;
    int liftAngle = 0;
    QString input; // "microphone", or the recording's name
    QString clockCorrection; // the correction in force and its origin; empty: none named
    double heardSeconds = 0; // the audio measured; 0: none (a CSV log, the window's trend)
    // The verdict's limits, each measure judged only against its own.
    std::optional<RateTolerance> tolerance;
    std::optional<double> beatErrorMax; // ms
    std::optional<double> amplitudeMin; // degrees
};

// The header's words on the clock correction in force: "clock correction +3.215 s/day (the
// computer's clock, 2026-12-09)"; without an origin, none is named.
QString clockCorrectionText(double secondsPerDay, const QString &origin = {}, const QDate &date = {});

class ReportPage {
public:
    // The header, the summary table and the plots in area; emptyText stands for plots without
    // a point. A beat scope with something to draw adds a row of the averaged tick and tock
    // above the plots.
    static void draw(QPainter &painter, const QRect &area, const LongRun &run, const ReportFacts &facts,
                     const QString &emptyText, const BeatScope *beats = nullptr);
};

} // namespace tamsel
