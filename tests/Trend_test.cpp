// View ▸ Trend… beside a window that goes on measuring: the points are the CSV log's values,
// timed by the card's true rate, a restart leaves a gap, and the picture is saved (PNG, SVG, whole) and
// copied.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WindowDrive.h"
#include "app/trend/Trend.h"
#include "app/trend/TrendWindow.h"

using namespace tamsel;
using namespace tamsel::test;

TEST(Trend, PointsAreTheLogsValuesWithAGapAtARestartAndThePictureIsSavedAndCopied)
{
    QTemporaryDir temp;
    Window w;
    WatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 6;
    params.beatErrorMs = 0.3;
    WatchFeed feed(params);
    w.form->recordFolder = temp.filePath("logs/");
    w.form->N101Click();
    w.form->recBtn->click();
    feed.atLeast(w, 44100 * 41);
    w.form->Trend1->trigger();
    TrendWindow *window = w.form->trend().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isModal());
    w.form->N101Click(); // a restart of the measurement
    feed.atLeast(w, 44100 * 31);
    w.form->recBtn->click();

    QFile log(w.form->recorder().logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    std::vector<QList<QByteArray>> measured;
    for (const QByteArray &line : log.readAll().split('\n'))
        if (const auto fields = line.trimmed().split(','); fields.size() == 6 && !fields[4].isEmpty())
            measured.push_back(fields);
    const auto &points = w.form->trend().run().series.points();
    ASSERT_EQ(points.size(), measured.size());
    ASSERT_GE(points.size(), 5u);
    int gaps = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        // The log rounds to its last digit; the trend keeps the numbers shown.
        EXPECT_EQ(points[i].amplitude, measured[i][2].toDouble());
        EXPECT_NEAR(points[i].beatError, measured[i][3].toDouble(), 0.0005);
        EXPECT_NEAR(points[i].rate, measured[i][4].toDouble(), 0.0005);
        gaps += i > 0 && points[i].gapBefore;
        if (i > 0 && !points[i].gapBefore) {
            EXPECT_NEAR(points[i].seconds - points[i - 1].seconds, 10, 0.01) << "timed by the audio heard";
        }
    }
    EXPECT_EQ(gaps, 1);

    // Saved whole as PNG or SVG; anything else is refused with nothing written.
    EXPECT_EQ(window->saveImage(temp.filePath("trend.png")), "");
    EXPECT_EQ(QImage(temp.filePath("trend.png")).size(),
              window->findChild<QWidget *>(QStringLiteral("TrendView"))->size());
    EXPECT_EQ(window->saveImage(temp.filePath("trend.svg")), "");
    QFile svg(temp.filePath("trend.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("</svg>"));
    EXPECT_NE(window->saveImage(temp.filePath("trend.gif")), "");
    EXPECT_NE(window->saveImage(temp.filePath("no/folder/trend.png")), "");
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::Files).size(), 2);

    window->CopyButton->click();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

// A card calibrated as fast, by whole samples per second and by its clock besides: a sweep of
// its samples lasts less than the sweep's nominal seconds, and the points are that far apart.
TEST(Trend, PointsAreTimedByTheCardsTrueRate)
{
    QTemporaryDir temp;
    // 44 541 samples a nominal second, and that 86.4 s/day (0.1 %) fast: 44 585.541 a true second.
    Window w("[Init]\r\nHosei=441\r\n[Tamsel]\r\nClockCorrection=86.4\r\n");
    const double samplesPerTrueSecond = 44541 * 1.001;
    WatchParams params;
    params.cardRate = samplesPerTrueSecond;
    params.rateSecondsPerDay = 6;
    params.beatErrorMs = 0.3;
    WatchFeed feed(params);
    w.form->recordFolder = temp.filePath("logs/");
    w.form->N101Click();
    w.form->recBtn->click();
    feed.atLeast(w, 44541 * 55);
    w.form->recBtn->click();

    QFile log(w.form->recorder().logPath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    int logged = 0;
    for (const QByteArray &line : log.readAll().split('\n'))
        logged += line.split(',').size() == 6 && !line.split(',')[4].isEmpty();
    const auto &points = w.form->trend().run().series.points();
    ASSERT_EQ(static_cast<int>(points.size()), logged);
    ASSERT_GE(points.size(), 3u);
    // A sweep holds ten nominal seconds of the card's samples, and its first one again.
    const double sweepSeconds = (10 * 44541 + 1) / samplesPerTrueSecond;
    for (size_t i = 1; i < points.size(); ++i) {
        EXPECT_FALSE(points[i].gapBefore);
        EXPECT_NEAR(points[i].seconds - points[i - 1].seconds, sweepSeconds, 0.001);
    }
    EXPECT_NEAR(points.back().rate, 6, 0.5) << "the watch measured in true time";
}

// Where neither side of the main window has room for it, the Trend window covers none of the
// LED readouts (the rate's at the right included), and stays wholly on the screen.
TEST(Trend, WhereNeitherSideHasRoomTheReadoutsStayInSight)
{
    for (const bool centred : {false, true}) {
        Window w;
        const QRect room = w.form->screen()->availableGeometry();
        const int spare = room.width() - w.form->frameGeometry().width();
        w.form->move(room.left() + (centred ? spare / 2 : 0), room.top());
        QCoreApplication::processEvents();
        w.form->Trend1->trigger();
        TrendWindow *window = w.form->trend().window();
        ASSERT_NE(window, nullptr);
        QCoreApplication::processEvents();
        const QRect main = w.form->frameGeometry();
        ASSERT_LT(std::max(main.left() - room.left(), room.right() - main.right()), window->width())
            << "no room beside the main window";
        const QRect leds(w.form->BackPanel1->mapToGlobal(QPoint(0, 0)), w.form->BackPanel1->size());
        EXPECT_FALSE(window->frameGeometry().intersects(leds)) << centred;
        EXPECT_TRUE(room.contains(window->frameGeometry())) << centred;
    }
}

// Opened before the first sweep ends, under a main window low on the screen: wholly on the
// screen, its buttons within reach, waiting for the sweep; then the line typed for the watch
// heads the page, with the sweep measured.
TEST(Trend, OpensOnTheScreenWaitingForTheFirstSweepAndNamesTheWatch)
{
    QTemporaryDir temp;
    Window w;
    WatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = -5;
    WatchFeed feed(params);
    w.form->N101Click();
    w.form->move(400, 300);
    w.form->Trend1->trigger();
    TrendWindow *window = w.form->trend().window();
    ASSERT_NE(window, nullptr);
    QCoreApplication::processEvents();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window->frameGeometry()));
    for (QPushButton *button : {window->SaveButton, window->CopyButton})
        EXPECT_TRUE(screen.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
            << button->text().toStdString();

    auto savedSvg = [&] {
        EXPECT_EQ(window->saveImage(temp.filePath("page.svg")), "");
        QFile svg(temp.filePath("page.svg"));
        EXPECT_TRUE(svg.open(QIODevice::ReadOnly));
        return QString::fromUtf8(svg.readAll());
    };
    EXPECT_TRUE(savedSvg().contains("Waiting for the first sweep (10 s)"));
    window->TitleEdit->setText("Vostok 2414, dial up");
    feed.atLeast(w, 44100 * 11);
    const QString page = savedSvg();
    EXPECT_FALSE(page.contains("Waiting"));
    EXPECT_TRUE(page.contains(">Vostok 2414, dial up</text>"));
    EXPECT_TRUE(page.contains("18000 bph, lift angle 52°")) << page.toStdString();
    EXPECT_TRUE(page.contains("1 sweep</text>"));
}
