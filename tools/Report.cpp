#include "tools/Report.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>
#include <cstdint>
#include <langinfo.h>

#include "files/WholeFile.h"

namespace tamsel {

namespace {

// The page is drawn this many units wide, and as high as the paper is in proportion.
constexpr int kWidth = 1000;

QString extension(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}

// The user's paper, as the locale has it (LC_PAPER): Letter where it is Letter, else A4.
QPageSize paper()
{
    const auto millimetres = [](nl_item item) {
        return static_cast<int>(reinterpret_cast<intptr_t>(nl_langinfo(item)));
    };
    const bool letter = millimetres(_NL_PAPER_WIDTH) == 216 && millimetres(_NL_PAPER_HEIGHT) == 279;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

QSize pageSize(const QPageSize &paper)
{
    const QSizeF mm = paper.size(QPageSize::Millimeter);
    return QSize(kWidth, static_cast<int>(std::lround(kWidth * mm.height() / mm.width())));
}

void drawReport(QPainter &painter, const QSize &page, const LongRun &run, const ReportFacts &facts,
                const BeatScope *beats)
{
    painter.fillRect(QRect(QPoint(0, 0), page), Qt::white);
    ReportPage::draw(painter, QRect(QPoint(0, 0), page).adjusted(0, 10, 0, -10), run, facts,
                     QStringLiteral("No sweep was measured"), beats);
}

QString documentTitle(const ReportFacts &facts)
{
    return facts.title.isEmpty() ? QStringLiteral("Tamsel: %1").arg(facts.input) : facts.title;
}

QByteArray png(const LongRun &run, const ReportFacts &facts, const BeatScope *beats)
{
    const QSize page = pageSize(paper());
    QImage image(page, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawReport(painter, page, run, facts, beats);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

QByteArray svg(const LongRun &run, const ReportFacts &facts, const BeatScope *beats)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    // The paper's size in tenths of a millimetre at 254 dots per inch, so that the document's
    // width and height are the paper's in millimetres; the drawing is in the page's units.
    const QPageSize sheet = paper();
    const QSizeF mm = sheet.size(QPageSize::Millimeter);
    generator.setResolution(254);
    generator.setSize(QSize(static_cast<int>(std::lround(mm.width() * 10)),
                            static_cast<int>(std::lround(mm.height() * 10))));
    const QSize page = pageSize(sheet);
    generator.setViewBox(QRect(QPoint(0, 0), page));
    generator.setTitle(documentTitle(facts));
    generator.setDescription(QString::fromStdString(run.summary.line()));
    QPainter painter;
    if (!painter.begin(&generator))
        return {};
    drawReport(painter, page, run, facts, beats);
    return painter.end() ? bytes : QByteArray();
}

QByteArray pdf(const LongRun &run, const ReportFacts &facts, const BeatScope *beats)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    const QPageSize sheet = paper();
    writer.setPageSize(sheet);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(documentTitle(facts));
    writer.setCreator(QStringLiteral("quorlen-analyze"));
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    const QSize page = pageSize(sheet);
    const double scale = painter.viewport().width() / double(kWidth);
    painter.scale(scale, scale);
    drawReport(painter, page, run, facts, beats);
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

QString writeReport(const QString &path, const LongRun &run, const ReportFacts &facts, const BeatScope *beats)
{
    const QString type = extension(path);
    const QByteArray bytes = type == QLatin1String("svg")   ? svg(run, facts, beats)
                             : type == QLatin1String("pdf") ? pdf(run, facts, beats)
                                                            : png(run, facts, beats);
    if (bytes.isEmpty())
        return QStringLiteral("Cannot draw the report %1").arg(QDir::toNativeSeparators(path));
    // A link at the report's name is replaced, as a snapshot's is: what it points to is left alone.
    const QString error = writeWholeFile(path, bytes, LinkAtPath::Replace);
    if (!error.isEmpty())
        return QStringLiteral("Cannot write the report %1: %2").arg(QDir::toNativeSeparators(path), error);
    return {};
}

} // namespace tamsel
