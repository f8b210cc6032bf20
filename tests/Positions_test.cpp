// The positional test: recordings of known rates per position through the headless
// analyzer, and runs through the dialog beside a window that goes on measuring.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include "WindowDrive.h"
#include "app/positions/PositionsDialog.h"

using namespace tamsel;
using namespace tamsel::test;
using Phase = PositionRun::Phase;

namespace {

QString writeWatch(const QTemporaryDir &dir, const QString &name, const WatchParams &params, double seconds)
{
    const std::vector<int16_t> samples =
        SyntheticWatch(params).Samples(0, static_cast<int64_t>(seconds * 44100));
    const QString path = dir.filePath(name);
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

WatchParams watch(double rate, double amplitude, double beatError = 0)
{
    WatchParams p;
    p.beatsPerHour = 18000;
    p.rateSecondsPerDay = rate;
    p.amplitudeDegrees = amplitude;
    p.beatErrorMs = beatError;
    return p;
}

// The rows of a CSV text, each split into its fields.
std::vector<QStringList> csvRows(const QString &text)
{
    std::vector<QStringList> rows;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts))
        rows.push_back(line.split(QLatin1Char(',')));
    return rows;
}

// The value of a summary row, found by its label.
double summaryValue(const std::vector<QStringList> &rows, const QString &label)
{
    for (const QStringList &row : rows)
        if (row.size() == 2 && row[0] == label)
            return row[1].isEmpty() ? std::nan("") : row[1].toDouble();
    ADD_FAILURE() << "no row " << label.toStdString();
    return std::nan("");
}

// Buffers of `feed` until the run's phase is `phase` (at most `limit` buffers).
void feedUntil(Window &w, WatchFeed &feed, const PositionsDialog &dialog, Phase phase, int limit = 200)
{
    for (int i = 0; i < limit && dialog.run().phase() != phase; ++i)
        feed.buffers(w, 1);
    ASSERT_EQ(dialog.run().phase(), phase);
}

} // namespace

TEST(Positions, AnalyzerSummarisesRecordingsOfKnownRates)
{
    QTemporaryDir dir;
    // Five positions of known rate and amplitude, and a sixth whose amplitude cannot be read
    // (a bare click without its unlocking sound): at +20 s/day it would pull the mean off.
    const std::pair<double, double> watches[] = {{2, 300}, {5, 290}, {-1, 260}, {-4, 250}, {3, 255}, {20, 0}};
    QStringList args = {"--positions", "--view", "20", "--position-names", "DU,DD,CU,CD,CL,CR"};
    for (int i = 0; i < 6; ++i)
        args << writeWatch(dir, QStringLiteral("p%1.wav").arg(i),
                           watch(watches[i].first, watches[i].second, 0.3), 22);
    QProcess analyzer;
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"), args);
    ASSERT_TRUE(analyzer.waitForFinished(120000));
    ASSERT_EQ(analyzer.exitCode(), 0) << analyzer.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(analyzer.readAllStandardOutput());
    EXPECT_FALSE(out.contains('\r')) << "lines on standard output end in LF";
    const auto rows = csvRows(out);
    ASSERT_EQ(rows.size(), 1 + 6 + 6u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(rows[1 + i][1].toDouble(), watches[i].first, 0.5) << "rate of row " << i;
        EXPECT_NEAR(rows[1 + i][3].toDouble(), watches[i].second, 3) << "amplitude of row " << i;
        EXPECT_EQ(rows[1 + i][4], "18000");
        EXPECT_EQ(rows[1 + i][5], "");
    }
    EXPECT_EQ(rows[6][0], "CR");
    EXPECT_EQ(rows[6][5], "amplitude not valid");
    EXPECT_NEAR(summaryValue(rows, "mean rate s/day"), 1.0, 0.5);
    EXPECT_NEAR(summaryValue(rows, "delta s/day"), 9.0, 0.5);
    EXPECT_NEAR(summaryValue(rows, "largest beat error ms"), 0.3, 0.05);
    EXPECT_NEAR(summaryValue(rows, "mean amplitude flat deg"), 295, 3);
    EXPECT_NEAR(summaryValue(rows, "mean amplitude hanging deg"), 255, 3);
    EXPECT_NEAR(summaryValue(rows, "flat minus hanging deg"), 40, 4);

    // A name that is no position is refused, before anything is measured.
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"),
                   {"--positions", "--position-names", "DU,XY", args[5], args[6]});
    ASSERT_TRUE(analyzer.waitForFinished(60000));
    EXPECT_EQ(analyzer.exitCode(), 2);
    EXPECT_TRUE(analyzer.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(analyzer.readAllStandardError().contains("XY"));
}

// Recordings at different beat rates are not one watch's positions: the summary is of the beat
// rate most of them share, and the others are named and left out.
TEST(Positions, APositionAtAnotherBeatRateIsLeftOutOfTheSummary)
{
    QTemporaryDir dir;
    WatchParams fast = watch(-10, 250);
    fast.beatsPerHour = 28800;
    const QStringList files = {writeWatch(dir, "du.wav", watch(2, 300), 22),
                               writeWatch(dir, "dd.wav", watch(4, 290), 22), writeWatch(dir, "cu.wav", fast, 22)};
    QProcess analyzer;
    analyzer.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"),
                   QStringList{"--positions", "--view", "20", "--position-names", "DU,DD,CU"} + files);
    ASSERT_TRUE(analyzer.waitForFinished(120000));
    ASSERT_EQ(analyzer.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(analyzer.readAllStandardError()),
              "CU was measured at 28800 bph, not at the 18000 bph of the summary: left out of it\n");
    const auto rows = csvRows(QString::fromUtf8(analyzer.readAllStandardOutput()));
    ASSERT_EQ(rows.size(), 1 + 3 + 6u);
    EXPECT_EQ(rows[3][4], "28800");
    EXPECT_EQ(rows[3][5], "another beat rate");
    EXPECT_NEAR(summaryValue(rows, "mean rate s/day"), 3, 0.5);
    EXPECT_NEAR(summaryValue(rows, "delta s/day"), 2, 0.5);
    EXPECT_TRUE(std::isnan(summaryValue(rows, "mean amplitude hanging deg")));
}

TEST(Positions, DialogRunWithASilentPositionSavedAndReadBack)
{
    Window w;
    w.form->N101Click(); // 10-second sweeps
    w.form->Positions1->trigger();
    ASSERT_NE(w.form->PositionsDlg, nullptr);
    PositionsDialog &d = *w.form->PositionsDlg;
    ASSERT_TRUE(d.isVisible());
    ASSERT_EQ(d.PositionList->count(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(d.PositionList->item(i)->checkState(), i == 5 ? Qt::Unchecked : Qt::Checked) << i;
    EXPECT_EQ(d.SettleEdit->value(), 10);
    EXPECT_EQ(d.MeasureEdit->text(), "One sweep");
    // Dial up, dial down and crown left; a one-second settle time.
    d.PositionList->item(2)->setCheckState(Qt::Unchecked);
    d.PositionList->item(3)->setCheckState(Qt::Unchecked);
    d.SettleEdit->setValue(1);
    EXPECT_EQ(d.PromptLabel->text(), "Put the watch dial up");

    WatchFeed dialUp(watch(2, 300));
    d.StartBtn->click();
    ASSERT_EQ(d.run().phase(), Phase::Settling);
    dialUp.buffers(w, 2);
    // Moved again before it settled: the count starts over.
    d.NextBtn->click();
    EXPECT_EQ(d.run().phase(), Phase::Settling);
    EXPECT_EQ(d.run().remaining(), 44100);
    feedUntil(w, dialUp, d, Phase::Waiting);
    EXPECT_EQ(d.PromptLabel->text(), "Put the watch dial down");
    ASSERT_EQ(d.run().readings().size(), 1u);
    EXPECT_NEAR(d.run().readings()[0].rate, 2, 0.5);
    EXPECT_TRUE(d.run().readings()[0].counted());

    // Dial down finds no watch at all.
    WatchFeed silent(watch(0, 300));
    silent.watch = SyntheticWatch([] {
        WatchParams p;
        p.peakLevel = 0;
        return p;
    }());
    d.NextBtn->click();
    feedUntil(w, silent, d, Phase::Waiting);
    EXPECT_EQ(d.PromptLabel->text(), "Put the watch crown left");

    WatchFeed crownLeft(watch(-4, 260));
    d.NextBtn->click();
    feedUntil(w, crownLeft, d, Phase::Done);
    ASSERT_EQ(d.ResultTable->rowCount(), 3);
    EXPECT_EQ(d.ResultTable->item(1, 5)->text(), "no beats");

    // The file, read back, holds what the dialog shows; Copy puts the same text on the clipboard.
    QTemporaryDir dir;
    const QString path = dir.filePath("positions.csv");
    ASSERT_TRUE(d.SaveTo(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto rows = csvRows(QString::fromUtf8(file.readAll()));
    ASSERT_EQ(rows.size(), 1 + 3 + 6u);
    EXPECT_EQ(rows[1][0], "DU");
    EXPECT_EQ(rows[2][0], "DD");
    EXPECT_EQ(rows[2][1], "");
    EXPECT_EQ(rows[2][5], "no beats");
    EXPECT_EQ(rows[3][0], "CL");
    EXPECT_NEAR(rows[3][1].toDouble(), -4, 0.5);
    EXPECT_NEAR(summaryValue(rows, "mean rate s/day"), -1, 0.5);
    EXPECT_NEAR(summaryValue(rows, "delta s/day"), 6, 0.5);
    EXPECT_NEAR(summaryValue(rows, "mean amplitude flat deg"), 300, 3);
    EXPECT_NEAR(summaryValue(rows, "flat minus hanging deg"), 40, 4);
    d.CopyBtn->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), d.SummaryCsv());
    EXPECT_TRUE(w.errors.empty());
}

TEST(Positions, CancelAndDisturbancesLeaveTheWindowMeasuring)
{
    Window w;
    w.form->N101Click();
    w.form->Positions1->trigger();
    PositionsDialog &d = *w.form->PositionsDlg;
    d.SettleEdit->setValue(1);
    WatchFeed feed(watch(3, 280));
    d.StartBtn->click();
    feedUntil(w, feed, d, Phase::Measuring);
    feed.buffers(w, 8);
    // A view change restarts the position, settling included.
    w.form->N201Click();
    feed.buffers(w, 1);
    EXPECT_EQ(d.run().phase(), Phase::Settling);
    feedUntil(w, feed, d, Phase::Measuring);
    feed.buffers(w, 20);

    d.CancelBtn->click();
    EXPECT_EQ(d.run().phase(), Phase::Idle);
    EXPECT_EQ(d.ResultTable->rowCount(), 0);
    EXPECT_TRUE(d.StartBtn->isEnabled());
    EXPECT_FALSE(d.NextBtn->isEnabled());
    // The window measures on, undisturbed: its sweep runs to its end and the rate is right.
    const int32_t at = w.state().writeIndex;
    feed.buffers(w, 4);
    EXPECT_EQ(w.state().writeIndex, at + 4 * kBufferSamples);
    feed.atLeast(w, w.state().samplesPerSweep - w.state().writeIndex + 1);
    EXPECT_TRUE(w.form->StartButton->isChecked());
    EXPECT_NEAR(w.form->StatusBar1->panelText(6).split(' ')[0].toDouble(), 3, 0.5);

    // Closing the window in the middle of a run ends the run and writes nothing.
    QTemporaryDir records;
    w.form->recordFolder = records.path() + QLatin1Char('/');
    d.StartBtn->click();
    feed.buffers(w, 10);
    w.form->close();
    EXPECT_EQ(d.run().phase(), Phase::Idle);
    EXPECT_FALSE(d.isVisible());
    w.form.reset();
    EXPECT_TRUE(QDir(records.path()).isEmpty());
    EXPECT_TRUE(w.errors.empty());
}

// The measurement restarted under the run by something else (Start pressed in the window, the
// input filter switched on and off again, audio lost and filled with silence): each time the
// position starts over, so that its reading is of one uninterrupted measurement.
TEST(Positions, ARestartUnderTheRunStartsThePositionOver)
{
    Window w;
    w.form->N101Click();
    w.form->Positions1->trigger();
    PositionsDialog &d = *w.form->PositionsDlg;
    d.SettleEdit->setValue(1);
    for (int i = 1; i < 6; ++i)
        d.PositionList->item(i)->setCheckState(Qt::Unchecked);
    WatchFeed feed(watch(3, 280));
    d.StartBtn->click();
    const std::function<void()> restarts[] = {
        [&w] { w.form->StartButton->click(); },
        [&w] { w.form->InputFilter1->trigger(); },
        [&w] { w.form->InputFilter1->trigger(); },
        [&w] {
            w.service->notify(kWimLoss, 4410);
            QCoreApplication::processEvents();
        },
    };
    for (const auto &restart : restarts) {
        feedUntil(w, feed, d, Phase::Measuring);
        feed.buffers(w, 8);
        const int64_t before = w.state().restarts;
        restart();
        EXPECT_EQ(w.state().restarts, before + 1);
        feed.buffers(w, 1);
        EXPECT_EQ(d.run().phase(), Phase::Settling);
    }
    feedUntil(w, feed, d, Phase::Done);
    ASSERT_EQ(d.run().readings().size(), 1u);
    const PositionReading &r = d.run().readings()[0];
    EXPECT_TRUE(r.counted());
    EXPECT_NEAR(r.rate, 3, 0.5);
    EXPECT_NEAR(r.beatError, 0, 0.05);
    EXPECT_NEAR(r.amplitude, 280, 3);
    EXPECT_EQ(r.beatsPerHour, 18000);
    EXPECT_TRUE(w.errors.empty());
}
