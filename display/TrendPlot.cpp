#include "display/TrendPlot.h"

#include <QPainter>
#include <QVector>
#include <algorithm>
#include <cmath>

#include "display/AxisTicks.h"
#include "measurement/FormatPicture.h"

namespace tamsel {

namespace {

constexpr int kLeft = 58, kRight = 12, kGap = 18, kLabel = 18;

using Value = double (*)(const SweepPoint &);

QString tickText(double value, int decimals)
{
    const std::string picture = decimals > 0 ? "0." + std::string(static_cast<size_t>(decimals), '0') : "0";
    return QString::fromStdString(FormatPicture(picture, value));
}

// A value's pixel along [from, to] for the axis.
double place(double value, const AxisTicks &axis, double from, double to)
{
    return from + (value - axis.low) / (axis.high - axis.low) * (to - from);
}

// How a quantity is scaled: a span at least this wide around its values, never below the
// least value it can take; or from 0 up to at least `least` (beat error). Without a value, the
// axis is around `usual`. Values within `zeroWithin` of 0 stretch the axis to 0.
struct Scale {
    double span = 0;
    bool fromZero = false;
    double least = 0;
    double lowest = -INFINITY;
    double usual = 0;
    double zeroWithin = 0;
};

// At least +-5 s/day around the data, and on time in sight of a watch near it.
constexpr Scale kRateScale{10, false, 0, -INFINITY, 0, 10};
constexpr Scale kAmplitudeScale{100, false, 0, 0, 250}; // at least 100 degrees
constexpr Scale kBeatErrorScale{0, true, 1, 0, 0};      // 0 to at least 1 ms

AxisTicks valueAxis(const std::vector<SweepPoint> &points, Value value, const Scale &scale)
{
    double low = INFINITY, high = -INFINITY;
    for (const SweepPoint &p : points)
        if (const double v = value(p); std::isfinite(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (low > high)
        low = high = scale.usual;
    if (low > 0 && low <= scale.zeroWithin)
        low = 0;
    if (high < 0 && high >= -scale.zeroWithin)
        high = 0;
    if (scale.fromZero)
        return roundTicks(0, std::max(high, scale.least), 5);
    const AxisTicks around = ticksSpanningAtLeast(low, high, scale.span, 5);
    if (around.low >= scale.lowest)
        return around;
    return roundTicks(scale.lowest, std::max(high, scale.lowest + scale.span), 5);
}

// With `zeroUnit`, 0 off the axis is marked at the edge it lies beyond.
void frameWithGrid(QPainter &painter, const QRectF &frame, const AxisTicks &y, const QString &title,
                   const QString &zeroUnit = QString())
{
    for (double tick : y.values()) {
        const double py = place(tick, y, frame.bottom(), frame.top());
        // 0 stands out: on time, no beat error.
        painter.setPen(std::fabs(tick) < y.step / 2 ? QPen(QColor(120, 120, 120), 1.5)
                                                    : QPen(QColor(225, 225, 225)));
        painter.drawLine(QPointF(frame.left(), py), QPointF(frame.right(), py));
    }
    painter.setPen(Qt::black);
    for (double tick : y.values()) {
        const double py = place(tick, y, frame.bottom(), frame.top());
        painter.drawText(QRectF(frame.left() - kLeft, py - 8, kLeft - 4, 16),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(tick, y.decimals));
    }
    painter.drawRect(frame);
    painter.drawText(frame.adjusted(6, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, title);
    if (!zeroUnit.isEmpty() && (y.low > 0 || y.high < 0))
        painter.drawText(frame.adjusted(0, 2, -6, -2), Qt::AlignRight | (y.low > 0 ? Qt::AlignBottom : Qt::AlignTop),
                         (y.low > 0 ? QStringLiteral("0 %1 below") : QStringLiteral("0 %1 above")).arg(zeroUnit));
}

// The points as one polyline per stretch without a gap, at most one vertical stroke (least to
// greatest) and one joining segment per pixel column.
void drawDecimated(QPainter &painter, const QRectF &frame, const std::vector<SweepPoint> &points, Value value,
                   const AxisTicks &time, double offset, const AxisTicks &y, const QColor &colour)
{
    QVector<QLineF> lines;
    struct Column {
        long x = 0;
        double first = 0, last = 0, low = 0, high = 0;
    } column;
    bool open = false, joined = false;
    QPointF previous;
    auto flush = [&] {
        if (!open)
            return;
        const double px = static_cast<double>(column.x) + 0.5;
        if (joined)
            lines.append(QLineF(previous, QPointF(px, column.first)));
        lines.append(QLineF(px, column.low, px, column.high));
        previous = QPointF(px, column.last);
        joined = true;
        open = false;
    };
    for (const SweepPoint &p : points) {
        const double v = value(p);
        if (p.gapBefore || !std::isfinite(v)) {
            flush();
            joined = false;
            if (!std::isfinite(v))
                continue;
        }
        const long x = std::lround(
            std::floor(std::clamp(place(p.seconds + offset, time, frame.left(), frame.right()), -1e6, 1e6)));
        const double py = place(v, y, frame.bottom(), frame.top());
        if (open && x == column.x) {
            column.last = py;
            column.low = std::min(column.low, py);
            column.high = std::max(column.high, py);
        } else {
            flush();
            column = {x, py, py, py, py};
            open = true;
        }
    }
    flush();
    painter.setPen(QPen(colour, 1.5));
    painter.drawLines(lines);
    // A few points are also shown one by one, so that a single sweep is seen at all.
    if (static_cast<double>(points.size()) * 6 > frame.width())
        return;
    QVector<QPointF> dots;
    for (const SweepPoint &p : points)
        if (const double v = value(p); std::isfinite(v))
            dots.append(QPointF(place(p.seconds + offset, time, frame.left(), frame.right()),
                                place(v, y, frame.bottom(), frame.top())));
    painter.setPen(QPen(colour, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawPoints(dots);
}

struct Quantity {
    Value value;
    Scale scale;
    QString title;
    QColor colour;
    QString zeroUnit; // 0 marked even off the axis, in this unit
    std::optional<RateTolerance> band;
};

void timePlot(QPainter &painter, const QRectF &frame, const LongRun &run, const Quantity &quantity,
              const AxisTicks &time)
{
    const auto &points = run.series.points();
    const AxisTicks y = valueAxis(points, quantity.value, quantity.scale);
    if (const auto &band = quantity.band) {
        const double top = std::max(frame.top(), place(band->fastest, y, frame.bottom(), frame.top()));
        const double bottom = std::min(frame.bottom(), place(band->slowest, y, frame.bottom(), frame.top()));
        if (bottom > top)
            painter.fillRect(QRectF(frame.left(), top, frame.width(), bottom - top), QColor(215, 240, 215));
    }
    // Under the frame: the first and last ticks lie on its sides.
    painter.setPen(QColor(235, 235, 235));
    for (double tick : time.values()) {
        const double px = place(tick, time, frame.left(), frame.right());
        painter.drawLine(QPointF(px, frame.top() + 1), QPointF(px, frame.bottom() - 1));
    }
    frameWithGrid(painter, frame, y, quantity.title, quantity.zeroUnit);
    painter.save();
    // Room for a whole dot at the frame's edge.
    painter.setClipRect(frame.adjusted(-4, -4, 4, 4));
    drawDecimated(painter, frame, points, quantity.value, time, run.firstSweepSeconds(), y, quantity.colour);
    painter.restore();
}

// A label centred under its tick, moved in where it would pass the plot's margins.
QRectF labelBox(const QRectF &frame, double px)
{
    constexpr double width = 60;
    const double left =
        std::max(frame.left() - kLeft + 4, std::min(px - width / 2, frame.right() + kRight - width));
    return QRectF(left, frame.bottom() + 2, width, kLabel - 2);
}

void timeLabels(QPainter &painter, const QRectF &frame, const TimeAxis &time)
{
    painter.setPen(Qt::black);
    for (double tick : time.ticks.values()) {
        const double px = place(tick, time.ticks, frame.left(), frame.right());
        const QRectF box = labelBox(frame, px);
        const Qt::Alignment along = box.center().x() < px - 1   ? Qt::AlignRight
                                    : box.center().x() > px + 1 ? Qt::AlignLeft
                                                                : Qt::AlignHCenter;
        painter.drawText(box, along | Qt::AlignTop, QString::fromStdString(time.label(tick)));
    }
    painter.drawText(QRectF(frame.left() - kLeft, frame.bottom() + 2, kLeft - 20, kLabel - 2),
                     Qt::AlignRight | Qt::AlignTop, QString::fromLatin1(time.unitName()));
}

void isochronismPlot(QPainter &painter, const QRectF &frame, const LongRun &run)
{
    const auto &points = run.series.points();
    const AxisTicks x = valueAxis(
        points, [](const SweepPoint &p) { return p.amplitude; }, kAmplitudeScale);
    const AxisTicks y = valueAxis(
        points, [](const SweepPoint &p) { return std::isnan(p.amplitude) ? NAN : p.rate; }, kRateScale);
    frameWithGrid(painter, frame, y, QStringLiteral("Rate (s/day) against amplitude (°)"));
    painter.setPen(Qt::black);
    for (double tick : x.values()) {
        const double px = place(tick, x, frame.left(), frame.right());
        painter.drawLine(QPointF(px, frame.bottom()), QPointF(px, frame.bottom() + 3));
        painter.drawText(labelBox(frame, px), Qt::AlignHCenter | Qt::AlignTop, tickText(tick, x.decimals));
    }
    // One dot per occupied 2-pixel cell.
    const int columns = std::max(1, static_cast<int>(frame.width() / 2) + 1);
    const int rows = std::max(1, static_cast<int>(frame.height() / 2) + 1);
    std::vector<bool> taken(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    QVector<QPointF> dots;
    for (const SweepPoint &p : points) {
        if (std::isnan(p.amplitude) || !std::isfinite(p.rate))
            continue;
        const double px = place(p.amplitude, x, frame.left(), frame.right());
        const double py = place(p.rate, y, frame.bottom(), frame.top());
        // Clamped before the conversion: a value far off the axis must not overflow an int.
        const int cx = static_cast<int>(std::clamp((px - frame.left()) / 2, 0.0, columns - 1.0));
        const int cy = static_cast<int>(std::clamp((py - frame.top()) / 2, 0.0, rows - 1.0));
        const size_t cell = static_cast<size_t>(cy) * static_cast<size_t>(columns) + static_cast<size_t>(cx);
        if (!taken[cell]) {
            taken[cell] = true;
            dots.append(QPointF(frame.left() + 2 * cx + 1, frame.top() + 2 * cy + 1));
        }
    }
    painter.save();
    painter.setClipRect(frame);
    painter.setPen(QPen(QColor(40, 90, 200), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawPoints(dots);
    const IsochronismFit &fit = run.summary.fit();
    if (fit.slope()) {
        painter.setPen(QPen(QColor(200, 40, 40), 2));
        painter.drawLine(QPointF(frame.left(), place(*fit.rateAt(x.low), y, frame.bottom(), frame.top())),
                         QPointF(frame.right(), place(*fit.rateAt(x.high), y, frame.bottom(), frame.top())));
    }
    painter.restore();
    const auto slope = fit.slopePer100();
    painter.setPen(Qt::black);
    painter.drawText(frame.adjusted(0, 2, -6, 0), Qt::AlignRight | Qt::AlignTop,
                     slope ? QStringLiteral("Slope %1 s/day per 100° lost")
                                 .arg(QString::fromStdString(FormatPicture("0.0", *slope)))
                           : QStringLiteral("Slope not known"));
}

} // namespace

void TrendPlot::draw(QPainter &painter, const QRect &area, const LongRun &run, const QString &emptyText,
                     const std::optional<RateTolerance> &tolerance)
{
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    if (run.series.points().empty() && !emptyText.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(area, Qt::AlignCenter, emptyText);
        return;
    }
    const TimeAxis time = timeAxis(run.seconds(), 8);
    const double left = area.left() + kLeft, width = area.width() - kLeft - kRight;
    const double isoHeight = std::max(60.0, (area.height() - 4 * kGap - 2 * kLabel) * 0.34);
    const double plotHeight = std::max(30.0, (area.height() - isoHeight - 4 * kGap - 2 * kLabel) / 3);
    const Quantity quantities[] = {
        {[](const SweepPoint &p) { return p.rate; }, kRateScale, QStringLiteral("Rate (s/day)"),
         QColor(40, 90, 200), QStringLiteral("s/day"), tolerance},
        {[](const SweepPoint &p) { return p.amplitude; }, kAmplitudeScale, QStringLiteral("Amplitude (°)"),
         QColor(30, 140, 60), {}, {}},
        {[](const SweepPoint &p) { return p.beatError; }, kBeatErrorScale, QStringLiteral("Beat error (ms)"),
         QColor(200, 90, 20), {}, {}},
    };
    double top = area.top() + kGap / 2.0;
    QRectF frame;
    for (const Quantity &quantity : quantities) {
        frame = QRectF(left, top, width, plotHeight);
        timePlot(painter, frame, run, quantity, time.ticks);
        top += plotHeight + kGap;
    }
    timeLabels(painter, frame, time);
    isochronismPlot(painter, QRectF(left, frame.bottom() + kLabel + kGap, width, isoHeight), run);
}

} // namespace tamsel
