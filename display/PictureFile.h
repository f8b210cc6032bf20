#pragma once
// A picture drawn whole into a file's bytes: PNG (pixels), SVG (its text searchable) or PDF (one
// page the picture's size in points), from one drawing function that paints on white.
#include <QByteArray>
#include <QRect>
#include <QString>
#include <functional>

class QPainter;

namespace tamsel {

// `type` is "png", "svg" or "pdf"; empty for another type or when nothing could be drawn.
QByteArray drawnPicture(const QSize &size, const QString &type, const QString &title,
                        const std::function<void(QPainter &, const QRect &)> &draw);

} // namespace tamsel
