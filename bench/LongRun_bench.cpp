// A day of 1-second sweeps (86 400 points): the report from its CSV log as a whole
// quorlen-analyze process (SVG, PNG and PDF), and a redraw of the Trend window's plots.
// With --picture FILE it only saves the Trend window showing that day (the README's picture).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "app/trend/TrendWindow.h"
#include "display/TrendPlot.h"
#include "measurement/CsvLogReader.h"

using namespace tamsel;

namespace {

constexpr int kSweeps = 86400;

// A day of a watch running down: amplitude 310 to 190 degrees, rate +5 to -7 s/day, with scatter,
// and twenty minutes missing after the seventh hour (a restart).
QByteArray dayLog()
{
    QByteArray log;
    log.reserve(kSweeps * 64);
    char line[128];
    for (int t = 0; t < kSweeps + 1200; ++t) { // 86 400 lines
        if (t >= 7 * 3600 && t < 7 * 3600 + 1200)
            continue;
        const double f = t / double(kSweeps + 1200), wobble = std::sin(t * 12.9898) * 0.6;
        const double beatError = 0.3 + 0.04 * std::sin(t * 2 * M_PI / 21600) + wobble / 40;
        std::snprintf(line, sizeof line, "\"%08d%02d%02d%02d\",5.0,%d,%.3f,%.3f,0.0000578703703703704\r\n",
                      20261207 + (t >= 14 * 3600 ? 1 : 0), (10 + t / 3600) % 24, t / 60 % 60, t % 60,
                      static_cast<int>(std::lround(310 - 120 * f + 4 * wobble)), beatError,
                      5 - 12 * f + wobble);
        log += line;
    }
    return log;
}

double processSeconds(const QByteArray &report, const QByteArray &csv, double *cpu)
{
    timespec start, end;
    std::fflush(stdout); // or the child would print what waits in the buffer again
    clock_gettime(CLOCK_MONOTONIC, &start);
    const pid_t child = fork();
    if (child == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
            _exit(3);
        execl(TAMSEL_ANALYZER, "quorlen-analyze", "--report", report.constData(), csv.constData(),
              static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    clock_gettime(CLOCK_MONOTONIC, &end);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    *cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    return double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray log = dayLog();
    if (argc == 3 && QByteArray(argv[1]) == "--picture") {
        LongRun day;
        readCsvLog(std::string_view(log.constData(), size_t(log.size())),
                   [&day](const SweepPoint &p) { day.add(p); });
        day.sweepSeconds = 1;
        ReportFacts facts;
        facts.start = QDateTime(QDate(2026, 12, 7), QTime(9, 59, 59));
        facts.beatsPerHour = 18000;
        facts.liftAngle = 52;
        facts.input = QStringLiteral("microphone");
        TrendWindow window(
            day, [facts] { return facts; }, [] { return QString(); });
        window.TitleEdit->setText(QStringLiteral("Pocket watch, a day from full wind"));
        window.show();
        return window.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    const QByteArray csv = QFile::encodeName(dir.filePath("day.csv"));
    QFile file(QString::fromLocal8Bit(csv));
    if (!file.open(QIODevice::WriteOnly) || file.write(log) != log.size())
        return 1;
    file.close();

    for (const char *type : {"svg", "png", "pdf"}) {
        double best = 1e9, cpu = 0;
        for (int run = 0; run < 3; ++run) {
            double used = 0;
            const double wall =
                processSeconds(QFile::encodeName(dir.filePath(QStringLiteral("day.") + type)), csv, &used);
            if (wall < 0) {
                std::printf("the analyzer failed on the %s report\n", type);
                return 1;
            }
            if (wall < best) {
                best = wall;
                cpu = used;
            }
        }
        std::printf("report of %d CSV lines as %s (whole process, best of 3): %.2f s wall, %.2f s CPU\n",
                    kSweeps, type, best, cpu);
    }

    LongRun run;
    readCsvLog(std::string_view(log.constData(), size_t(log.size())),
               [&run](const SweepPoint &p) { run.add(p); });
    for (const QSize size : {QSize(640, 700), QSize(1280, 1000)}) {
        QImage image(size, QImage::Format_RGB32);
        QElapsedTimer clock;
        const int draws = 20;
        clock.start();
        for (int i = 0; i < draws; ++i) {
            image.fill(Qt::white);
            QPainter painter(&image);
            TrendPlot::draw(painter, image.rect(), run);
        }
        std::printf("trend redraw of %zu points at %dx%d: %.1f ms\n", run.series.points().size(),
                    size.width(), size.height(), double(clock.nsecsElapsed()) / draws / 1e6);
    }
    return 0;
}
