#include "display/BeatScopePlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

#include "display/AxisTicks.h"
#include "display/PictureFile.h"
#include "measurement/FormatPicture.h"

namespace tamsel {

namespace {

constexpr int kLeft = 100, kRight = 24, kLine = 18;
const QColor kTickColour(20, 60, 170), kTockColour(190, 30, 30);
const QColor kGrid(228, 228, 228), kBand(220, 235, 250);
constexpr double kFromMs = -5;
constexpr double kScaleFrom = 150, kScaleTo = 330; // degrees on the amplitude scale

QString number(const char *picture, double value)
{
    return QString::fromStdString(FormatPicture(picture, value));
}

QString ms(double value)
{
    return number("0.0", value) + QStringLiteral(" ms");
}

struct TimeScale {
    BeatScopePlot::TimeSpan span;
    QRect frame;
    double x(double ms) const
    {
        return frame.left() + (ms - span.fromMs) / (span.toMs - span.fromMs) * frame.width();
    }
    // The grid's times: whole steps from the first within the span.
    std::vector<double> grid() const
    {
        std::vector<double> times;
        for (double t = std::ceil(span.fromMs / span.stepMs) * span.stepMs; t <= span.toMs + 1e-9;
             t += span.stepMs)
            times.push_back(t);
        return times;
    }
};

void text(QPainter &painter, double x, double y, int flags, const QString &s)
{
    constexpr int kBox = 2000; // wider than any line
    QRectF box(x - kBox / 2.0, y - kBox / 2.0, kBox, kBox);
    if (flags & Qt::AlignLeft)
        box.moveLeft(x);
    if (flags & Qt::AlignRight)
        box.moveRight(x);
    if (flags & Qt::AlignTop)
        box.moveTop(y);
    if (flags & Qt::AlignBottom)
        box.moveBottom(y);
    painter.drawText(box, flags, s);
}

void drawGrid(QPainter &painter, const TimeScale &scale, const QRect &frame)
{
    painter.setPen(kGrid);
    for (double t : scale.grid())
        painter.drawLine(QPointF(scale.x(t), frame.top()), QPointF(scale.x(t), frame.bottom()));
    painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    painter.drawLine(QPointF(scale.x(0), frame.top()), QPointF(scale.x(0), frame.bottom()));
}

void drawTrace(QPainter &painter, const TimeScale &scale, const QRect &frame, const ScopeTrace &trace,
               const QColor &colour)
{
    QPainterPath path;
    bool started = false;
    for (size_t i = 0; i < trace.level.size(); ++i) {
        const double t = trace.firstMs + trace.msPerPoint * static_cast<double>(i);
        if (t < scale.span.fromMs || t > scale.span.toMs)
            continue;
        const QPointF p(scale.x(t), frame.bottom() - trace.level[i] * (frame.height() - 4));
        if (started)
            path.lineTo(p);
        else
            path.moveTo(p), started = true;
    }
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

// Each sub-event a small triangle over the trace; the unlocking and the drop named, the lift
// between them.
void drawEvents(QPainter &painter, const TimeScale &scale, const QRect &frame, const ScopeTrace &trace,
                const BeatScope &scope, const QColor &colour, bool labels)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (size_t i = 0; i < trace.eventsMs.size(); ++i) {
        const double x = scale.x(trace.eventsMs[i]);
        const double y = frame.top() + 2;
        const bool named = i == 0 || static_cast<int>(i) == trace.drop;
        const double r = named ? 6 : 4;
        painter.drawPolygon(QPolygonF({QPointF(x - r, y), QPointF(x + r, y), QPointF(x, y + 1.6 * r)}));
    }
    if (!labels || trace.eventsMs.empty())
        return;
    painter.setPen(colour);
    const double y = frame.top() + 14;
    text(painter, scale.x(0) + 4, y, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("unlocking"));
    if (trace.drop < 0)
        return;
    const double drop = trace.dropMs();
    QString name = QStringLiteral("drop ") + ms(drop);
    if (const double degrees = scope.amplitudeAt(drop); degrees > 0)
        name += QStringLiteral(", ") + number("0", degrees) + QStringLiteral("°");
    text(painter, scale.x(drop) + 4, y, Qt::AlignLeft | Qt::AlignTop, name);
    // The lift, unlocking to drop, as a bracket under the names.
    const double ly = y + kLine + 4;
    painter.drawLine(QPointF(scale.x(0), ly), QPointF(scale.x(drop), ly));
    painter.drawLine(QPointF(scale.x(0), ly - 4), QPointF(scale.x(0), ly + 4));
    painter.drawLine(QPointF(scale.x(drop), ly - 4), QPointF(scale.x(drop), ly + 4));
    text(painter, (scale.x(0) + scale.x(drop)) / 2, ly + 2, Qt::AlignHCenter | Qt::AlignTop,
         QStringLiteral("lift ") + ms(drop));
}

// The beat error on the tock's panel: where its unlocking would lie half a cycle after the
// tick's, against where it lies (0).
void drawBeatError(QPainter &painter, const TimeScale &scale, const QRect &frame, const BeatScope &scope)
{
    const double inBeat = -scope.beatErrorMs;
    painter.setPen(QPen(QColor(0, 130, 0), 1.5, Qt::DashLine));
    painter.drawLine(QPointF(scale.x(inBeat), frame.top()), QPointF(scale.x(inBeat), frame.bottom()));
    const double y = frame.bottom() - 10;
    painter.setPen(QPen(QColor(0, 130, 0), 1.5));
    painter.drawLine(QPointF(scale.x(inBeat), y), QPointF(scale.x(0), y));
    const QString said = QStringLiteral("beat error ") + number("0.00", std::fabs(scope.beatErrorMs)) +
                         QStringLiteral(" ms") +
                         (scope.beatErrorMs > 0   ? QStringLiteral(" (tock late)")
                          : scope.beatErrorMs < 0 ? QStringLiteral(" (tock early)")
                                                  : QString());
    text(painter, std::max(scale.x(0), scale.x(inBeat)) + 6, y, Qt::AlignLeft | Qt::AlignVCenter, said);
}

void drawPanel(QPainter &painter, const TimeScale &scale, const QRect &frame, const BeatScope &scope,
               const ScopeTrace *tick, const ScopeTrace *tock, bool beatError)
{
    drawGrid(painter, scale, frame);
    painter.setPen(QColor(120, 120, 120));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.save();
    painter.setClipRect(frame.adjusted(0, -12, 0, 0));
    if (tick)
        drawTrace(painter, scale, frame, *tick, kTickColour);
    if (tock)
        drawTrace(painter, scale, frame, *tock, kTockColour);
    // Overlaid: the marks and names of the tick only, the tock's marks beside them.
    if (tock)
        drawEvents(painter, scale, frame, *tock, scope, kTockColour, !tick);
    if (tick)
        drawEvents(painter, scale, frame, *tick, scope, kTickColour, true);
    if (beatError)
        drawBeatError(painter, scale, frame, scope);
    painter.restore();
    painter.setPen(Qt::black);
    QString name = tick && tock ? QStringLiteral("tick and tock")
                   : tick       ? QStringLiteral("tick")
                                : QStringLiteral("tock");
    text(painter, frame.left() - 6, frame.center().y(), Qt::AlignRight | Qt::AlignVCenter, name);
}

// The time axis's labels under the panels; returns the y below them.
int drawTimeAxis(QPainter &painter, const TimeScale &scale, int y)
{
    painter.setPen(Qt::black);
    for (double t : scale.grid())
        text(painter, scale.x(t), y, Qt::AlignHCenter | Qt::AlignTop, number("0", t));
    text(painter, scale.frame.right(), y + kLine, Qt::AlignRight | Qt::AlignTop,
         QStringLiteral("Time from the unlocking (ms)"));
    return y + 2 * kLine;
}

// Where a drop at each time puts the amplitude: a tick every 10 degrees, named every 50 (and
// at the scale's high end) where there is room.
int drawAmplitudeScale(QPainter &painter, const TimeScale &scale, int y, const BeatScope &scope)
{
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(scale.frame.left(), y), QPointF(scale.frame.right(), y));
    text(painter, scale.frame.left() - 6, y + kLine / 2.0, Qt::AlignRight | Qt::AlignVCenter,
         QStringLiteral("Amplitude (°)"));
    double lastNamed = 1e9;
    for (double degrees = kScaleFrom; degrees <= kScaleTo; degrees += 10) {
        const double t = scope.msForAmplitude(degrees);
        if (t <= 0 || t < scale.span.fromMs || t > scale.span.toMs)
            continue;
        const double x = scale.x(t);
        const bool major = std::fmod(degrees, 50) == 0 || degrees == kScaleTo;
        painter.drawLine(QPointF(x, y), QPointF(x, y + (major ? 7 : 4)));
        if (major && lastNamed - x >= 30) { // the drop comes sooner as the amplitude grows
            text(painter, x, y + 8, Qt::AlignHCenter | Qt::AlignTop, number("0", degrees));
            lastNamed = x;
        }
    }
    return y + 2 * kLine;
}

// The beats' spectrum in dB against its loudest, on a logarithmic frequency axis from 1 to
// 20 kHz, with the band listened in shaded.
void drawSpectrum(QPainter &painter, const QRect &frame, const BeatScope &scope)
{
    constexpr double kFromHz = 1000, kToHz = 20000, kFloorDb = -60;
    const auto x = [&](double hz) {
        return frame.left() + std::log(hz / kFromHz) / std::log(kToHz / kFromHz) * frame.width();
    };
    painter.fillRect(
        QRectF(QPointF(x(scope.bandLowHz), frame.top()), QPointF(x(scope.bandHighHz), frame.bottom())),
        kBand);
    painter.setPen(kGrid);
    for (double hz : {2000.0, 5000.0, 10000.0})
        painter.drawLine(QPointF(x(hz), frame.top()), QPointF(x(hz), frame.bottom()));
    painter.setPen(QColor(120, 120, 120));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
    painter.setPen(Qt::black);
    for (double hz : {1000.0, 2000.0, 5000.0, 10000.0, 20000.0})
        text(painter, x(hz), frame.bottom() + 2, Qt::AlignHCenter | Qt::AlignTop, number("0", hz / 1000));
    text(painter, frame.right(), frame.bottom() + 2 + kLine, Qt::AlignRight | Qt::AlignTop,
         QStringLiteral("Frequency (kHz)"));
    text(painter, frame.left() - 6, frame.center().y(), Qt::AlignRight | Qt::AlignVCenter,
         QStringLiteral("Power"));
    painter.setPen(QColor(0, 110, 160));
    text(painter, x(scope.bandLowHz) + 4, frame.top() + 2, Qt::AlignLeft | Qt::AlignTop,
         QStringLiteral("listening band ") + number("0.0", scope.bandLowHz / 1000) + QStringLiteral("–") +
             number("0.0", scope.bandHighHz / 1000) + QStringLiteral(" kHz"));
    if (scope.spectrum.empty())
        return;
    const float loudest = *std::max_element(scope.spectrum.begin(), scope.spectrum.end());
    if (loudest <= 0)
        return;
    QPainterPath path;
    for (size_t i = 0; i < scope.spectrum.size(); ++i) {
        const double hz = scope.spectrumFirstHz + scope.hzPerBin * static_cast<double>(i);
        const double db =
            std::max(kFloorDb, 10 * std::log10(std::max(double{scope.spectrum[i]}, 1e-30) / loudest));
        const QPointF p(x(hz), frame.top() + db / kFloorDb * frame.height());
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.drawPath(path);
}

QString headline(const BeatScope &scope)
{
    QString line = number("0", scope.beatsPerHour) + QStringLiteral(" bph");
    if (scope.amplitudeShown)
        line += QStringLiteral(", lift angle ") + number("0", scope.liftAngle) + QStringLiteral("°");
    line += QStringLiteral(", lift ") + (scope.liftMs > 0 ? ms(scope.liftMs) : QStringLiteral("not heard"));
    if (scope.liftMs > 0 && scope.amplitudeShown)
        line += QStringLiteral(" = amplitude ") + number("0", scope.amplitudeAt(scope.liftMs)) +
                QStringLiteral("°");
    return line;
}

QString fitLine(const BeatScope &scope)
{
    return QStringLiteral(
               "%1 beats averaged (tick %2, tock %3); latest beat fits %4, %5 % of recent beats fit")
        .arg(scope.beatsAveraged)
        .arg(scope.tick.beats)
        .arg(scope.tock.beats)
        .arg(number("0.00", scope.latestFit), number("0", 100 * scope.recentFitShare));
}

} // namespace

BeatScopePlot::TimeSpan BeatScopePlot::timeSpan(const BeatScope &scope)
{
    double end = std::max(scope.liftMs, scope.msForAmplitude(kScaleFrom));
    for (const ScopeTrace *trace : {&scope.tick, &scope.tock})
        if (!trace->eventsMs.empty())
            end = std::max(end, trace->eventsMs.back());
    if (end <= 0) // no sub-event apart: the whole sound
        end = std::max(scope.tick.endMs(), scope.tock.endMs());
    // Room after the drop for its ring.
    end += std::max(3.0, 0.15 * end);
    // A tock far late (a clock out of beat) would unlock in beat before -5 ms: that too is shown.
    const double from = std::min(kFromMs, -scope.beatErrorMs - 0.1 * (end - kFromMs));
    const AxisTicks ticks = roundTicks(0, end - from, 10);
    TimeSpan span;
    span.stepMs = ticks.step;
    span.fromMs = from;
    span.toMs = std::ceil(end / span.stepMs) * span.stepMs;
    return span;
}

void BeatScopePlot::draw(QPainter &painter, const QRect &area, const BeatScope &scope, const Options &options)
{
    painter.save();
    drawScope(painter, area, scope, options);
    painter.restore();
}

void BeatScopePlot::drawScope(QPainter &painter, const QRect &area, const BeatScope &scope,
                              const Options &options)
{
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(false);
    painter.setFont(font);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!scope.emptyReason.empty()) {
        painter.setPen(Qt::black);
        painter.drawText(area, Qt::AlignCenter, QString::fromStdString(scope.emptyReason));
        return;
    }
    const QRect inside = area.adjusted(kLeft, 6, -kRight, -6);
    int y = inside.top();
    painter.setPen(Qt::black);
    if (options.spectrum) {
        font.setBold(true);
        painter.setFont(font);
        text(painter, inside.left(), y, Qt::AlignLeft | Qt::AlignTop, headline(scope));
        font.setBold(false);
        painter.setFont(font);
        y += kLine;
        text(painter, inside.left(), y, Qt::AlignLeft | Qt::AlignTop, fitLine(scope));
        y += kLine + 4;
    }
    const int spectrumHeight = options.spectrum ? std::max(60, inside.height() / 6) : 0;
    const int below = 4 * kLine + (options.spectrum ? spectrumHeight + 2 * kLine + 8 : 0);
    const int panels = options.overlay ? 1 : 2;
    const int panelHeight = std::max(20, (inside.bottom() - y - below - (panels - 1) * 6) / panels);
    TimeScale scale{timeSpan(scope), QRect(inside.left(), y, inside.width(), panelHeight)};
    if (options.overlay) {
        drawPanel(painter, scale, scale.frame, scope, &scope.tick, &scope.tock, true);
        y += panelHeight;
    } else {
        drawPanel(painter, scale, scale.frame, scope, &scope.tick, nullptr, false);
        const QRect tockFrame(inside.left(), y + panelHeight + 6, inside.width(), panelHeight);
        drawPanel(painter, scale, tockFrame, scope, nullptr, &scope.tock, true);
        y = tockFrame.bottom();
    }
    y = drawTimeAxis(painter, scale, y + 3);
    if (scope.amplitudeShown)
        y = drawAmplitudeScale(painter, scale, y, scope);
    if (options.spectrum)
        drawSpectrum(painter, QRect(inside.left(), y + 8, inside.width(), spectrumHeight), scope);
}

QByteArray BeatScopePlot::encode(const BeatScope &scope, const QSize &size, const QString &type,
                                 const Options &options)
{
    return drawnPicture(size, type, QStringLiteral("Beat scope"),
                        [&](QPainter &painter, const QRect &page) { draw(painter, page, scope, options); });
}

} // namespace tamsel
