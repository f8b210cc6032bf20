// quorlen-analyze --report over a run whose amplitude falls while its rate runs away: the
// summary against the watch's truth and against the CSV lines it printed, the same summary
// from those lines given as a CSV log, and bad input refused with nothing written.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "AnalyzerProcess.h"
#include "CommaLocale.h"
#include "capture/SyntheticWatch.h"
#include "display/TrendPlot.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

// Two hours, as a long run on the bench; the sanitizer build, some ten times slower, hears
// eight minutes of the same watch.
#ifdef __SANITIZE_ADDRESS__
constexpr double kSeconds = 480;
#else
constexpr double kSeconds = 7200;
#endif

// 18 000 bph, amplitude falling linearly from 300 to 200 degrees and the rate from +6 to -4
// s/day over the recording: a watch of its own every ten seconds (an even number of beats,
// so tick and tock keep their order), each taking over where the last beat left off. Handed
// to `take` a part at a time, as a WAV file's bytes, header first.
// A mono 16-bit WAV file's header for this many samples at 44 100 samples/s.
QByteArray wavHeader(int64_t total)
{
    QByteArray header;
    const auto put = [&header](uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header += static_cast<char>(value >> (8 * i) & 0xff);
    };
    const auto data = static_cast<uint32_t>(total * 2);
    header += "RIFF";
    put(36 + data, 4);
    header += "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(44100, 4), put(44100 * 2, 4), put(2, 2), put(16, 2);
    header += "data";
    put(data, 4);
    return header;
}

void unwindingWatch(const std::function<void(const QByteArray &)> &take)
{
    const auto total = static_cast<int64_t>(kSeconds * 44100);
    take(wavHeader(total));
    int64_t peak = 2000, written = 0;
    std::vector<int16_t> part;
    while (written < total) {
        const double f = static_cast<double>(written) / static_cast<double>(total);
        SyntheticWatchParams params;
        params.beatsPerHour = 18000;
        params.rateSecondsPerDay = 6 - 10 * f;
        params.amplitudeDegrees = 300 - 100 * f;
        params.beatErrorMs = 0.2;
        params.firstPeak = peak;
        const SyntheticWatch watch(params);
        peak = watch.peakOf(50);
        const int64_t end = std::min(total, (watch.peakOf(49) + peak) / 2);
        part.resize(static_cast<size_t>(end - written));
        watch.generate(written, part.data(), part.size());
        take(
            QByteArray(reinterpret_cast<const char *>(part.data()), static_cast<qsizetype>(part.size() * 2)));
        written = end;
    }
}

TEST(Report, SummaryOfAnUnwindingWatchFromItsRecordingAndFromItsCsvLog)
{
    QTemporaryDir dir;
    // In a comma locale: the SUMMARY line is for programs and keeps its full stops.
    QProcessEnvironment comma = QProcessEnvironment::systemEnvironment();
    comma.insert("LOCPATH", QString::fromStdString(commaLocaleFolder()));
    comma.insert("LC_ALL", QLatin1String(kCommaLocale));
    // Hours of audio go through a pipe rather than a file of hundreds of megabytes.
    QProcess analyzer;
    analyzer.setProcessEnvironment(comma);
    analyzer.start(kAnalyzer, {"--view", "30", "--start", "2026-12-07 08:00:00", "--report",
                               dir.filePath("run.svg"), "-"});
    ASSERT_TRUE(analyzer.waitForStarted());
    unwindingWatch([&analyzer](const QByteArray &bytes) {
        analyzer.write(bytes);
        while (analyzer.bytesToWrite() > 0 && analyzer.waitForBytesWritten(60000)) {
        }
    });
    analyzer.closeWriteChannel();
    ASSERT_TRUE(analyzer.waitForFinished(600000));
    const AnalyzerRun run = endedRun(analyzer);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_GE(run.lines.size(), 12);
    ASSERT_TRUE(run.lines[run.lines.size() - 2].startsWith("FINAL,"));
    const QString summaryLine = run.lines.last();
    const QStringList summary = summaryLine.split(',');
    ASSERT_EQ(summary.size(), 11) << summaryLine.toStdString();
    ASSERT_EQ(summary[0], "SUMMARY");

    // The numbers behind the plots are the CSV lines' own.
    const QStringList csv = run.lines.mid(0, run.lines.size() - 2);
    double rateSum = 0, amplitudeLow = 1e9, amplitudeHigh = -1e9, rateLow = 1e9;
    for (const QString &line : csv) {
        const QStringList f = line.split(',');
        ASSERT_EQ(f.size(), 6) << line.toStdString();
        rateSum += f[4].toDouble();
        rateLow = std::min(rateLow, f[4].toDouble());
        amplitudeLow = std::min(amplitudeLow, f[2].toDouble());
        amplitudeHigh = std::max(amplitudeHigh, f[2].toDouble());
    }
    EXPECT_NEAR(summary[2].toDouble(), rateSum / csv.size(), 0.0006);
    EXPECT_NEAR(summary[3].toDouble(), rateLow, 0.0006);
    EXPECT_EQ(summary[6].toDouble(), amplitudeLow);
    EXPECT_EQ(summary[7].toDouble(), amplitudeHigh);
    // And they tell the watch's truth. Each sweep's values are its averages, so the sweeps,
    // 30 s long, see the watch from 15 s in to 15 s before their last end.
    const double seconds = summary[1].toDouble();
    EXPECT_NEAR(seconds, kSeconds, 31);
    EXPECT_NEAR(summary[2].toDouble(), 6 - 10 * (seconds / 2) / kSeconds, 0.3);
    EXPECT_NEAR(summary[10].toDouble(), -10, 1);
    EXPECT_NEAR(amplitudeHigh - amplitudeLow, 100 * (seconds - 30) / kSeconds, 10);
    QFile svg(dir.filePath("run.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray picture = svg.readAll();
    EXPECT_TRUE(picture.contains("<svg")) << "a whole SVG document";
    EXPECT_TRUE(picture.contains(summaryLine.toUtf8())) << "its description is the summary";

    // The same lines as the CSV log the window writes, in place of the recording.
    QFile log(dir.filePath("run.csv"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write((csv.join("\r\n") + "\r\n").toUtf8());
    log.close();
    for (const char *report : {"again.pdf", "again.png"}) {
        const AnalyzerRun fromLog = analyze({"--report", dir.filePath(report), dir.filePath("run.csv")});
        ASSERT_EQ(fromLog.exitCode, 0) << fromLog.errors.toStdString();
        EXPECT_EQ(fromLog.lines, QStringList{summaryLine});
        EXPECT_GT(QFileInfo(dir.filePath(report)).size(), 1000);
    }
}

// A steady watch recorded for this long, as a WAV file.
QString steadyWatch(const QTemporaryDir &dir, const char *name, const SyntheticWatchParams &params,
                    double seconds)
{
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    SyntheticWatch(params).generate(0, samples.data(), samples.size());
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wavHeader(static_cast<int64_t>(samples.size())));
    file.write(reinterpret_cast<const char *>(samples.data()), static_cast<qsizetype>(samples.size() * 2));
    return file.fileName();
}

// The SVG's texts in the order drawn, each checked to lie on the page: it starts at x >= 0 and
// its characters, at most 8 units wide in the report's fonts, end before the page's right edge.
QStringList svgTexts(const QByteArray &svg, int pageWidth = 1000)
{
    QStringList texts;
    const QRegularExpression text(QStringLiteral("<text[^>]* x=\"([-0-9.]+)\"[^>]*>([^<]*)</text>"));
    for (auto it = text.globalMatch(QString::fromUtf8(svg)); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString shown = match.captured(2).trimmed().replace("&amp;", "&");
        const double x = match.captured(1).toDouble();
        EXPECT_TRUE(x >= 0 && x + 8 * shown.size() <= pageWidth) << shown.toStdString() << " at x = " << x;
        texts << shown;
    }
    return texts;
}

// The numbers drawn just before the last `title`: a plot's tick labels come before its title.
std::vector<double> ticksBefore(const QStringList &texts, const QString &title)
{
    std::vector<double> ticks;
    bool number = true;
    for (qsizetype i = texts.lastIndexOf(title) - 1; i >= 0 && number; --i) {
        const double value = texts[i].toDouble(&number);
        if (number)
            ticks.insert(ticks.begin(), value);
    }
    return ticks;
}

// Two minutes of a watch losing 5.0 s/day, steady: the report says what was measured and
// how, and its scales show a flat trend as flat, from 0 where a value cannot go below it.
TEST(Report, HeaderAndScalesReadAtAGlance)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = -5;
    params.beatErrorMs = 0.2;
    params.amplitudeDegrees = 250;
    const QString wav = steadyWatch(dir, "bench.wav", params, 120);
    QProcessEnvironment c = QProcessEnvironment::systemEnvironment();
    c.insert("LC_ALL", "C.UTF-8");
    const AnalyzerRun run = analyze({"--view", "10", "--lift-angle", "50", "--start", "2026-12-07 08:00:00",
                                     "--title", "Seiko 7S26 & co, after service", "--tolerance", "-4,+6",
                                     "--report", dir.filePath("run.svg"), wav},
                                    c);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QFile file(dir.filePath("run.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    EXPECT_TRUE(svg.contains("width=\"210mm\" height=\"297mm\"")) << "A4 in the C locale";
    const QStringList texts = svgTexts(svg);
    ASSERT_GT(texts.size(), 40) << svg.left(3000).toStdString();

    EXPECT_EQ(texts[0], "Seiko 7S26 & co, after service");
    EXPECT_TRUE(texts[1].startsWith("Run of 2026-12-07 08:00:") && texts[1].contains("(h:mm:ss) long") &&
                texts[1].endsWith(" sweeps"))
        << texts[1].toStdString();
    EXPECT_EQ(texts[2], "18000 bph, lift angle 50°, input: recording bench.wav");
    EXPECT_TRUE(texts.contains("Rate outside tolerance: mean -5.0 s/day, tolerance -4.0 to +6.0 s/day"))
        << texts.join('|').toStdString();

    const std::vector<double> rate = ticksBefore(texts, "Rate (s/day)");
    ASSERT_GE(rate.size(), 3u) << texts.join('|').toStdString();
    EXPECT_GE(rate.back() - rate.front(), 10);
    EXPECT_LT(rate.front(), -5 - 2);
    EXPECT_GT(rate.back(), -5 + 2);
    EXPECT_NE(std::find(rate.begin(), rate.end(), 0.0), rate.end()) << "0 on the rate's scale";
    const std::vector<double> amplitude = ticksBefore(texts, "Amplitude (°)");
    ASSERT_GE(amplitude.size(), 3u);
    EXPECT_GE(amplitude.back() - amplitude.front(), 100);
    const std::vector<double> beatError = ticksBefore(texts, "Beat error (ms)");
    ASSERT_GE(beatError.size(), 3u);
    EXPECT_EQ(beatError.front(), 0);
    EXPECT_GE(beatError.back(), 0.3);
    // The time axis under the plots: in seconds for two minutes, up to the run's end.
    const qsizetype unit = texts.indexOf("s", texts.lastIndexOf("Beat error (ms)"));
    ASSERT_GT(unit, 0) << texts.join('|').toStdString();
    const QStringList time =
        texts.mid(texts.lastIndexOf("Beat error (ms)") + 1, unit - texts.lastIndexOf("Beat error (ms)") - 1);
    ASSERT_GE(time.size(), 3);
    EXPECT_EQ(time.front(), "0");
    EXPECT_GE(time.back().toInt(), 120);
    EXPECT_LE(time.back().toInt(), 150);

    // One sweep: its length, on the paper of a locale that uses Letter, and a point in each plot.
    const QString short_ = steadyWatch(dir, "short.wav", params, 14);
    QProcessEnvironment letter = c;
    letter.insert("LOCPATH", dir.filePath("locales"));
    letter.insert("LC_ALL", "en_US.UTF-8");
    // Built here, as the comma locale is: no test depends on the locales a machine has.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("locales")));
    [[maybe_unused]] const int built =
        std::system(("localedef -i en_US -f UTF-8 '" + dir.filePath("locales/en_US.UTF-8").toStdString() +
                     "' >/dev/null 2>&1")
                        .c_str());
    ASSERT_TRUE(QFileInfo::exists(dir.filePath("locales/en_US.UTF-8/LC_PAPER")))
        << "localedef (package locales)";
    const AnalyzerRun letterRun =
        analyze({"--view", "10", "--report", dir.filePath("once.svg"), short_}, letter);
    ASSERT_EQ(letterRun.exitCode, 0) << letterRun.errors.toStdString();
    QFile once(dir.filePath("once.svg"));
    ASSERT_TRUE(once.open(QIODevice::ReadOnly));
    const QByteArray onceSvg = once.readAll();
    EXPECT_TRUE(onceSvg.contains("width=\"215.9mm\" height=\"279.4mm\"")) << onceSvg.left(600).toStdString();
    const QString onceTexts = svgTexts(onceSvg).join('|');
    EXPECT_TRUE(onceTexts.contains(", 0:00:10 (h:mm:ss) long, 1 sweep|")) << onceTexts.toStdString();
    const AnalyzerRun png = analyze({"--view", "10", "--report", dir.filePath("once.png"), short_}, c);
    ASSERT_EQ(png.exitCode, 0) << png.errors.toStdString();
    const QImage image(dir.filePath("once.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(double(image.height()) / image.width(), 297.0 / 210, 0.01);
    int amplitudeDots = 0, beatErrorDots = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            amplitudeDots += colour == QColor(30, 140, 60);
            beatErrorDots += colour == QColor(200, 90, 20);
        }
    EXPECT_GT(amplitudeDots, 3);
    EXPECT_GT(beatErrorDots, 3);
}

// A watch on time by its rate but with a beat error past any watchmaker's limit, 75 s of it at the
// default 60-s view: each measure gets its own verdict, the rate plot shows the tolerance as a
// band and 0 in sight, and the page says how to get more than its one point. A rate far from 0
// still has 0 marked.
TEST(Report, AVerdictOnEachMeasureAndAPlotWorthReading)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 4;
    params.beatErrorMs = 1.2;
    params.amplitudeDegrees = 280;
    const QString wav = steadyWatch(dir, "out-of-beat.wav", params, 75);
    QProcessEnvironment c = QProcessEnvironment::systemEnvironment();
    c.insert("LC_ALL", "C.UTF-8");
    const AnalyzerRun run =
        analyze({"--tolerance", "-4,+6", "--amplitude-min", "250", "--report", dir.filePath("run.svg"), wav}, c);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QFile file(dir.filePath("run.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    const QStringList texts = svgTexts(svg);
    const QString all = texts.join('|');
    EXPECT_TRUE(all.contains(QRegularExpression("\\|Rate within tolerance: mean \\+4\\.\\d s/day, tolerance -4\\.0 to "
                                                "\\+6\\.0 s/day\\|")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QRegularExpression("\\|Beat error outside tolerance: mean 1\\.\\d\\d ms, at most 0\\.60 ms\\|")))
        << "the default limit";
    EXPECT_TRUE(all.contains(QRegularExpression("\\|Amplitude within tolerance: mean 2[78]\\d°, at least 250°\\|")));
    EXPECT_TRUE(texts.contains("Few points: a view of 10 s (--view 10) gives 7 sweeps of this run."));
    EXPECT_TRUE(svg.contains("#d7f0d7")) << "the tolerance band";
    const std::vector<double> rate = ticksBefore(texts, "Rate (s/day)");
    EXPECT_NE(std::find(rate.begin(), rate.end(), 0.0), rate.end()) << all.toStdString();
    EXPECT_GT(rate.back(), 6);

    // Far from 0, the axis keeps to the rates and says where 0 lies.
    QFile log(dir.filePath("fast.csv"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    for (int minute = 0; minute < 6; ++minute)
        log.write(QString::asprintf("\"202612071%d00\",5.0,280,0.200,30.240,0.0003500000000000000\r\n",
                                    minute + 100)
                      .toLatin1());
    log.close();
    const AnalyzerRun fast = analyze({"--report", dir.filePath("fast.svg"), log.fileName()}, c);
    ASSERT_EQ(fast.exitCode, 0) << fast.errors.toStdString();
    QFile fastFile(dir.filePath("fast.svg"));
    ASSERT_TRUE(fastFile.open(QIODevice::ReadOnly));
    const QStringList fastTexts = svgTexts(fastFile.readAll());
    EXPECT_TRUE(fastTexts.contains("0 s/day below")) << fastTexts.join('|').toStdString();
    EXPECT_GT(ticksBefore(fastTexts, "Rate (s/day)").front(), 20);
}

// The plots' frames are whole on a page drawn without smoothing, as in a PDF: the time axis's
// grid lines at its ends lie under the frame's sides, not over them.
TEST(Report, PlotFramesKeepTheirSides)
{
    LongRun run;
    for (int i = 1; i <= 5; ++i)
        run.add({10.0 * i, 3, 280, 0.2, false});
    run.sweepSeconds = 10;
    QImage page(1000, 1400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TrendPlot::draw(painter, page.rect(), run);
    painter.end();
    // The frames' left sides: the column 58 in, dark over most of the plots' height.
    const auto darkRows = [&page](int x) {
        int dark = 0;
        for (int y = 0; y < page.height(); ++y)
            dark += qGray(page.pixel(x, y)) < 100;
        return dark;
    };
    EXPECT_GT(darkRows(58), page.height() / 2);
    EXPECT_GT(darkRows(1000 - 12), page.height() / 2) << "the right sides";
}

TEST(Report, BadInputIsRefusedInOneLineWithNothingWritten)
{
    QTemporaryDir dir;
    auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString good =
        write("good.csv", "\"20261207100000\",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n");
    const QString foreign = write("foreign.csv", "date,rate,amplitude\r\n2026-12-07,3.1,275\r\n");
    const QString empty = write("empty.csv", "");
    // Logs Tamsel could not have written: stamps back and forth, 30 February, years 1 and 9999,
    // an amplitude below zero.
    const QByteArray tail = ",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n";
    const QString shuffled = write("shuffled.csv", "\"20261207100000\"" + tail + "\"20261207100300\"" + tail +
                                                       "\"20261207100100\"" + tail + "\"20261207100400\"" +
                                                       tail + "\"20261207100200\"" + tail);
    const QString february = write("february.csv", "\"20260228100000\"" + tail + "\"20260230100000\"" + tail);
    const QString ages = write("ages.csv", "\"00010101000000\"" + tail + "\"99991231235959\"" + tail);
    const QString negative = write("negative.csv", "\"20261207100000\"" + tail +
                                                       "\"20261207100100\",5.0,-275,0.200,-3.125,0.0\r\n");
    write("kept.svg", "an older report");
    const QString existing = dir.filePath("kept.svg");
    const QString intoFile = write("plain", "x") + "/report.svg";
    const std::vector<QStringList> cases = {
        {"--report", existing, foreign},
        {"--report", existing, empty},
        {"--report", existing, shuffled},
        {"--report", existing, february},
        {"--report", existing, ages},
        {"--report", existing, negative},
        {"--report", dir.filePath("report.jpg"), good},
        {"--report", intoFile, good},
        {"--report", dir.filePath("no/such/folder/report.svg"), good},
    };
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QStringList &arguments : cases) {
        const AnalyzerRun run = analyze(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.errors.count('\n'), 1) << run.errors.toStdString();
        if (arguments.last() != good) {
            EXPECT_TRUE(run.errors.contains(QRegularExpression(": line \\d+ |empty")))
                << run.errors.toStdString();
        }
        EXPECT_TRUE(run.lines.isEmpty());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), before);
    }
    QFile kept(existing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "an older report");
}

} // namespace
