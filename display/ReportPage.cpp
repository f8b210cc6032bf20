#include "display/ReportPage.h"

#include <QPainter>
#include <QRegularExpression>
#include <cmath>
#include <iterator>

#include "display/BeatScopePlot.h"
#include "display/TrendPlot.h"
#include "measurement/ClockText.h"
#include "measurement/FormatPicture.h"
#include "measurement/ValueRanges.h"

namespace tamsel {

namespace {

constexpr int kMargin = 20, kLine = 22;

QString number(const char *picture, double value)
{
    return QString::fromStdString(FormatPicture(picture, value));
}

QString signedNumber(const char *picture, double value)
{
    return (value > 0 ? QStringLiteral("+") : QString()) + number(picture, value);
}

QString lengthText(double seconds)
{
    return QString::fromStdString(clockText(std::lround(seconds), true));
}

QString runLine(const LongRun &run, const ReportFacts &facts)
{
    const int64_t sweeps = run.summary.sweeps();
    QString line =
        facts.start.isValid()
            ? QStringLiteral("Run of %1").arg(facts.start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            : QStringLiteral("Run");
    if (sweeps > 0 && run.seconds() > 0)
        line += QStringLiteral(", %1 (h:mm:ss) long").arg(lengthText(run.seconds()));
    return line + QStringLiteral(", %1 %2").arg(sweeps).arg(sweeps == 1 ? QStringLiteral("sweep")
                                                                        : QStringLiteral("sweeps"));
}

QString watchLine(const ReportFacts &facts)
{
    QStringList parts;
    if (facts.beatsPerHour > 0)
        parts << QStringLiteral("%1 bph").arg(std::lround(facts.beatsPerHour));
    if (facts.liftAngle > 0)
        parts << QStringLiteral("lift angle %1°").arg(facts.liftAngle);
    if (!facts.input.isEmpty())
        parts << QStringLiteral("input: %1").arg(facts.input);
    if (!facts.clockCorrection.isEmpty())
        parts << facts.clockCorrection;
    return parts.join(QStringLiteral(", "));
}

QString isochronismText(const RunSummary &summary)
{
    if (const auto slope = summary.fit().slopePer100())
        return QStringLiteral("%1 s/day per 100° of amplitude lost (least squares)")
            .arg(number("0.0", *slope));
    if (summary.amplitude().count < 2)
        return QStringLiteral("not known (fewer than two sweeps with an amplitude)");
    return QStringLiteral("not known (the amplitude range was too small)");
}

// The summary table; returns the y below it.
int drawTable(QPainter &painter, const QRect &area, int y, const RunSummary &summary)
{
    const int width = area.width();
    const int columns[] = {0, width * 26 / 100, width * 40 / 100, width * 54 / 100, width * 68 / 100};
    auto row = [&](const QStringList &cells) {
        for (int i = 0; i < cells.size() && i < 5; ++i) {
            const int right = cells.size() == 2 || i == 4 ? area.width() : columns[i + 1];
            painter.drawText(QRect(area.left() + columns[i], y, right - columns[i], kLine),
                             Qt::AlignLeft | Qt::AlignVCenter, cells[i]);
        }
        y += kLine;
    };
    row({QString(), QStringLiteral("mean"), QStringLiteral("least"), QStringLiteral("greatest"),
         QStringLiteral("spread")});
    auto stats = [&](const QString &name, const ValueStats &v, const char *picture) {
        if (v.count == 0)
            row({name, QStringLiteral("none")});
        else
            row({name, number(picture, v.mean), number(picture, v.min), number(picture, v.max),
                 number(picture, v.spread())});
    };
    stats(QStringLiteral("Rate (s/day)"), summary.rate(), "0.0");
    stats(QStringLiteral("Amplitude (°)"), summary.amplitude(), "0");
    stats(QStringLiteral("Beat error (ms)"), summary.beatError(), "0.00");
    row({QStringLiteral("Isochronism"), isochronismText(summary)});
    return y;
}

// The verdict on each measure the user gave a limit for, judged on its mean as the table shows
// it; none for a measure not measured.
QStringList verdicts(const RunSummary &summary, const ReportFacts &facts)
{
    QStringList lines;
    auto judged = [&](const QString &measure, bool within, const QString &detail) {
        lines << QStringLiteral("%1 %2: %3")
                     .arg(measure, within ? QStringLiteral("within tolerance") : QStringLiteral("outside tolerance"),
                          detail);
    };
    const auto shown = [](double value, double places) { return std::round(value * places) / places; };
    if (const auto &rate = facts.tolerance; rate && summary.rate().count > 0) {
        const double mean = shown(summary.rate().mean, 10);
        judged(QStringLiteral("Rate"), mean >= rate->slowest && mean <= rate->fastest,
               QStringLiteral("mean %1 s/day, tolerance %2 to %3 s/day")
                   .arg(signedNumber("0.0", summary.rate().mean), signedNumber("0.0", rate->slowest),
                        signedNumber("0.0", rate->fastest)));
    }
    if (facts.beatErrorMax && summary.beatError().count > 0)
        judged(QStringLiteral("Beat error"), shown(summary.beatError().mean, 100) <= *facts.beatErrorMax,
               QStringLiteral("mean %1 ms, at most %2 ms")
                   .arg(number("0.00", summary.beatError().mean), number("0.00", *facts.beatErrorMax)));
    if (facts.amplitudeMin && summary.amplitude().count > 0)
        judged(QStringLiteral("Amplitude"), shown(summary.amplitude().mean, 1) >= *facts.amplitudeMin,
               QStringLiteral("mean %1°, at least %2°")
                   .arg(number("0", summary.amplitude().mean), number("0", *facts.amplitudeMin)));
    return lines;
}

// Fewer than five sweeps make no trend: the longest view that gives five in the audio heard, or
// how long a run that needs. Empty with enough sweeps, or without audio to measure again (a log).
QString fewPointsHint(const LongRun &run, const ReportFacts &facts)
{
    constexpr int kFewestPoints = 5;
    const double seconds = facts.heardSeconds;
    if (run.summary.sweeps() >= kFewestPoints || seconds <= 0)
        return {};
    for (auto view = std::rbegin(kViewSeconds); view != std::rend(kViewSeconds) && *view >= kLeastSweepView; ++view)
        if (const auto points = static_cast<int>(seconds / *view); points >= kFewestPoints)
            return QStringLiteral("Few points: a view of %1 s (--view %1) gives %2 sweeps of this run.")
                .arg(*view)
                .arg(points);
    return QStringLiteral("Few points: five sweeps need a run of at least %1 s at a view of %2 s (--view %2).")
        .arg(kFewestPoints * kLeastSweepView)
        .arg(kLeastSweepView);
}

// The header's lines above the table: the title, the run, the watch and input.
QStringList headerLines(const LongRun &run, const ReportFacts &facts)
{
    QStringList lines{facts.title.isEmpty() ? QStringLiteral("Tamsel report") : facts.title,
                      runLine(run, facts)};
    if (const QString watch = watchLine(facts); !watch.isEmpty())
        lines << watch;
    return lines;
}

} // namespace

QString clockCorrectionText(double secondsPerDay, const QString &origin, const QDate &date)
{
    QString text = QStringLiteral("clock correction %1%2 s/day")
                       .arg(secondsPerDay < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                       .arg(std::fabs(secondsPerDay), 0, 'f', 3);
    if (!origin.isEmpty())
        text += QStringLiteral(" (%1, %2)").arg(origin, date.toString(Qt::ISODate));
    return text;
}

std::optional<RateTolerance> parseRateTolerance(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([-+]?\\d+(?:\\.\\d+)?)\\s*,\\s*([-+]?\\d+(?:\\.\\d+)?)\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const RateTolerance tolerance{match.captured(1).toDouble(), match.captured(2).toDouble()};
    if (tolerance.slowest > tolerance.fastest)
        return std::nullopt;
    return tolerance;
}

void ReportPage::draw(QPainter &painter, const QRect &area, const LongRun &run, const ReportFacts &facts,
                      const QString &emptyText, const BeatScope *beats)
{
    const QRect inside = area.adjusted(kMargin, kMargin / 2, -kMargin, 0);
    const QStringList lines = headerLines(run, facts);
    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = inside.top();
    // One line of the header; a longer one than the page is wide ends in an ellipsis.
    auto line = [&](const QString &text, int height) {
        painter.drawText(QRect(inside.left(), y, inside.width(), height), Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, inside.width()));
        y += height;
    };
    line(lines[0], 30);
    font.setPixelSize(14);
    font.setBold(false);
    painter.setFont(font);
    for (qsizetype i = 1; i < lines.size(); ++i)
        line(lines[i], kLine);
    y = drawTable(painter, inside, y + 6, run.summary);
    if (const QString hint = fewPointsHint(run, facts); !hint.isEmpty())
        line(hint, kLine);
    font.setBold(true);
    painter.setFont(font);
    for (const QString &judged : verdicts(run.summary, facts))
        line(judged, kLine);
    if (beats && beats->emptyReason.empty()) {
        line(QStringLiteral("Averaged tick and tock of the last sweep"), kLine);
        constexpr int kBeatsRow = 230;
        BeatScopePlot::draw(painter, QRect(inside.left(), y, inside.width(), kBeatsRow), *beats,
                            BeatScopePlot::Options{.overlay = false, .spectrum = false});
        y += kBeatsRow;
    }
    // Within the margins: a label at either end of an axis is never cut by the page's edge.
    TrendPlot::draw(painter, QRect(inside.left(), y + 4, inside.width(), area.bottom() - y - 4), run,
                    emptyText, facts.tolerance);
}

} // namespace tamsel
