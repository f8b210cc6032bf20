#pragma once
// The beat scope, drawn with QPainter on any paint device (a widget, a QImage, QSvgGenerator,
// QPdfWriter): the averaged tick above the averaged tock (or both overlaid in two colours), each
// from 5 ms before its unlocking to past the longest lift, with a millisecond grid; the
// sub-events marked, the unlocking and the drop named with the lift between them; an amplitude
// scale along the time axis, so that the drop reads the amplitude; the beat error; the beats'
// spectrum with the band listened in; how many beats are averaged and how well they fit. With
// nothing to draw, the reason alone.
#include <QByteArray>
#include <QRect>
#include <QString>

#include "measurement/BeatScope.h"

class QPainter;

namespace tamsel {

class BeatScopePlot {
public:
    struct Options {
        bool overlay = false; // tick and tock in one panel, in two colours
        bool spectrum = true; // the spectrum strip, and the lines of counts
    };
    static void draw(QPainter &painter, const QRect &area, const BeatScope &scope, const Options &options);
    static void draw(QPainter &painter, const QRect &area, const BeatScope &scope)
    {
        draw(painter, area, scope, Options());
    }
    // The scope drawn whole at `size` as a file of `type` ("png", "svg" or "pdf", the page the
    // size in points); empty for another type or when it could not be drawn.
    static QByteArray encode(const BeatScope &scope, const QSize &size, const QString &type,
                             const Options &options);
    // The time axis, in ms from the unlocking: from -5 ms (or before where a late tock would
    // have unlocked in beat) to past the longest lift (the 150 degree mark included, where an
    // amplitude is given), ending on a whole grid step.
    struct TimeSpan {
        double fromMs = -5, toMs = 20, stepMs = 5;
    };
    static TimeSpan timeSpan(const BeatScope &scope);

private:
    static void drawScope(QPainter &painter, const QRect &area, const BeatScope &scope,
                          const Options &options);
};

} // namespace tamsel
