#include "tools/Report.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

#include "display/TrendPlot.h"
#include "files/WholeFile.h"
#include "measurement/FormatPicture.h"

namespace tamsel {

namespace {

constexpr int kWidth = 1000, kHeight = 1300, kTable = 190;

QString extension(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

QString number(const char *picture, double value)
{
    return QString::fromStdString(FormatPicture(picture, value));
}

QString lengthText(double seconds)
{
    const auto s = static_cast<long>(std::lround(seconds));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void drawTable(QPainter &painter, const QRect &area, const LongRun &run, const QString &source)
{
    const RunSummary &summary = run.summary;
    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(area.adjusted(10, 0, -10, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Tamsel: %1").arg(source));
    font.setPixelSize(14);
    font.setBold(false);
    painter.setFont(font);
    const int columns[] = {10, 220, 340, 460, 580};
    int y = area.top() + 36;
    auto row = [&](const QStringList &cells) {
        for (int i = 0; i < cells.size() && i < 5; ++i)
            painter.drawText(QRect(area.left() + columns[i], y, cells.size() == 2 ? 700 : 200, 20),
                             Qt::AlignLeft | Qt::AlignVCenter, cells[i]);
        y += 22;
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
    const auto slope = summary.fit().slopePer100();
    row({QStringLiteral("Length"),
         QStringLiteral("%1 (h:mm:ss), %2 sweeps").arg(lengthText(summary.seconds())).arg(summary.sweeps())});
    row({QStringLiteral("Isochronism"),
         slope ? QStringLiteral("%1 s/day per 100° of amplitude lost (least squares)")
                     .arg(number("0.0", *slope))
               : QStringLiteral("not known (too little amplitude)")});
}

void drawReport(QPainter &painter, const LongRun &run, const QString &source)
{
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
    drawTable(painter, QRect(0, 10, kWidth, kTable), run, source);
    TrendPlot::draw(painter, QRect(0, kTable, kWidth, kHeight - kTable - 10), run);
}

QByteArray png(const LongRun &run, const QString &source)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawReport(painter, run, source);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

QByteArray svg(const LongRun &run, const QString &source)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(kWidth, kHeight));
    generator.setViewBox(QRect(0, 0, kWidth, kHeight));
    generator.setTitle(QStringLiteral("Tamsel: %1").arg(source));
    generator.setDescription(QString::fromStdString(run.summary.line()));
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    drawReport(painter, run, source);
    return painter.end() ? bytes : QByteArray();
}

QByteArray pdf(const LongRun &run, const QString &source)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Tamsel: %1").arg(source));
    writer.setCreator(QStringLiteral("quorlen-analyze"));
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    const QRect page = painter.viewport();
    const double scale = std::min(page.width() / double(kWidth), page.height() / double(kHeight));
    painter.scale(scale, scale);
    drawReport(painter, run, source);
    return painter.end() ? bytes : QByteArray();
}

} // namespace

QString reportPathError(const QString &path)
{
    const QString type = extension(path);
    if (type != QLatin1String("svg") && type != QLatin1String("png") && type != QLatin1String("pdf"))
        return QStringLiteral("--report needs a file name ending in .svg, .png or .pdf, not \"%1\"")
            .arg(path);
    // Made as the report will be: a temporary beside it, moved in place of whatever is there.
    if (const QString reason = wholeFileError(path, LinkAtPath::Replace); !reason.isEmpty())
        return QStringLiteral("--report %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(path), reason);
    return {};
}

QString writeReport(const QString &path, const LongRun &run, const QString &source)
{
    const QString type = extension(path);
    const QByteArray bytes = type == QLatin1String("svg")   ? svg(run, source)
                             : type == QLatin1String("pdf") ? pdf(run, source)
                                                            : png(run, source);
    if (bytes.isEmpty())
        return QStringLiteral("Cannot draw the report %1").arg(QDir::toNativeSeparators(path));
    // A link at the report's name is replaced, as a snapshot's is: what it points to is left alone.
    const QString error = writeWholeFile(path, bytes, LinkAtPath::Replace);
    if (!error.isEmpty())
        return QStringLiteral("Cannot write the report %1: %2").arg(QDir::toNativeSeparators(path), error);
    return {};
}

} // namespace tamsel
