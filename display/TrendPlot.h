#pragma once
// The trend of a long run, drawn with QPainter on any paint device (a widget's image, PNG, SVG,
// PDF): rate, amplitude and beat error against one time axis (s, min or h:mm by the run's
// length), and below them the isochronism plot, rate against amplitude with its fitted line and
// slope. The scales are a watchmaker's: at least +-5 s/day of rate, stretched to 0 when the rates
// lie within 10 s/day of it and 0 marked (at the edge when it lies further), at least 100
// degrees of amplitude, beat error from 0.
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

class TrendPlot {
public:
    // Draws into area in logical pixels: at most a few segments per pixel column, however
    // many points the run holds (each column shows the least and greatest value it covers).
    // A run without a point shows emptyText alone, when there is one. A tolerance is a band on
    // the rate plot.
    static void draw(QPainter &painter, const QRect &area, const LongRun &run,
                     const QString &emptyText = QString(), const std::optional<RateTolerance> &tolerance = {});
};

} // namespace tamsel
