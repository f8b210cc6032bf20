#pragma once
// The trend of a long run, drawn with QPainter on any paint device (a widget's image, PNG, SVG,
// PDF): rate, amplitude and beat error against one time axis in h:mm, and below them the
// isochronism plot, rate against amplitude with its fitted line and slope.
#include <QRect>

#include "measurement/LongRun.h"

class QPainter;

namespace tamsel {

class TrendPlot {
public:
    // Draws into area in logical pixels: at most a few segments per pixel column, however
    // many points the run holds (each column shows the least and greatest value it covers).
    static void draw(QPainter &painter, const QRect &area, const LongRun &run);
};

} // namespace tamsel
