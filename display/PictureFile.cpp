#include "display/PictureFile.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace tamsel {

QByteArray drawnPicture(const QSize &size, const QString &type, const QString &title,
                        const std::function<void(QPainter &, const QRect &)> &draw)
{
    const QRect page(QPoint(0, 0), size);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const auto drawn = [&](QPaintDevice &device, double scale) {
        QPainter painter;
        if (!painter.begin(&device))
            return false;
        painter.scale(scale, scale);
        painter.fillRect(page, Qt::white);
        draw(painter, page);
        return painter.end();
    };
    if (type == QLatin1String("png")) {
        QImage image(size, QImage::Format_RGB32);
        if (!drawn(image, 1) || !image.save(&buffer, "PNG"))
            return {};
    } else if (type == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(page);
        generator.setTitle(title);
        if (!drawn(generator, 1))
            return {};
    } else if (type == QLatin1String("pdf")) {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(title);
        // The page's resolution in dots per point, so that the drawing keeps its proportions.
        if (!drawn(writer, writer.resolution() / 72.0))
            return {};
    } else {
        return {};
    }
    return bytes;
}

} // namespace tamsel
