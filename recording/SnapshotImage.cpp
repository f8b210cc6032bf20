#include "recording/SnapshotImage.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "display/Canvas.h"

namespace tamsel {

namespace {

QImage rgbCopy(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

// Opaque copy of source with its top left at (x, y), clipped to target.
void drawOpaque(QImage &target, int x, int y, const QImage &source)
{
    if (target.isNull() || source.isNull())
        return;
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, rgbCopy(source));
}

// The image with extra white rows at the bottom.
QImage growDown(const QImage &image, int extra)
{
    QImage grown = whiteLayer(image.width(), image.height() + extra);
    drawOpaque(grown, 0, 0, image);
    return grown;
}

QImage chartImage(const SnapshotLayers &layers, bool printScale)
{
    const QImage &grid = layers.gridBitmap;
    const QImage &trace = layers.traceBitmap;
    if (printScale && !grid.isNull()) {
        QImage chart = rgbCopy(grid);
        Canvas(chart).drawTransparent(0, 0, trace);
        return chart;
    }
    if (!trace.isNull())
        return rgbCopy(trace);
    return whiteLayer(grid.width(), grid.height());
}

QFont stripFont()
{
    // Noto Sans CJK carries both the Latin text and the Japanese prefix; the style hint
    // lets fontconfig substitute a sans-serif font where it is missing.
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setFamilies(
        {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

void drawStripText(QImage &image, const QString &text)
{
    if (image.isNull())
        return;
    QPainter painter(&image);
    painter.setFont(stripFont());
    painter.setPen(Qt::black);
    const int top = image.height() - 18;
    // The text's cell starts at top, as the system's text output places it; it is clipped
    // to the strip below.
    painter.setClipRect(0, image.height() - kTextStripHeight, image.width(), kTextStripHeight);
    painter.drawText(10, top + QFontMetrics(painter.font()).ascent(), text);
}

} // namespace

QImage composeSnapshot(const SnapshotLayers &layers, const SnapshotOptions &options, const QString &text)
{
    QImage image = chartImage(layers, options.printScale);
    if (options.printSignalGraph) {
        const int h = layers.signalBitmap.height();
        image = growDown(image, h);
        const int top = image.height() - h;
        drawOpaque(image, 0, top, layers.signalBitmap);
        if (!image.isNull())
            Canvas(image).drawTransparent(0, top, layers.signalOverlay);
    }
    if (options.printMeasurement) {
        image = growDown(image, kTextStripHeight);
        drawStripText(image, text);
    }
    return image;
}

} // namespace tamsel
