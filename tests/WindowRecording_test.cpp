// Recording through the main window: the log made when the button goes down, one snapshot
// and one log line per sweep end, and a folder that cannot be written.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "WindowDrive.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QList<QByteArray> csvLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Buffers of a constant level in the 1 s view: five of them end the first sweep.
void deliverBuffers(Window &w, int count, int16_t level = 300)
{
    for (int i = 0; i < count; ++i)
        w.deliver(std::vector<int16_t>(kBufferSamples, level));
}

} // namespace

TEST(WindowRecording, LogOnPressThenOneSnapshotAndLineAtEachSweepEnd)
{
    QTemporaryDir temp;
    Window w;
    const QString folder = temp.filePath(QStringLiteral("My Pictures/Tamsel/"));
    w.form->recordFolder = folder;
    w.form->N11Click();
    w.form->recBtn->click();
    ASSERT_TRUE(w.form->recBtn->isChecked());
    ASSERT_TRUE(w.errors.empty()) << w.errors.front().toStdString();
    const QStringList logs = filesIn(folder, QStringLiteral("*.csv"));
    ASSERT_EQ(logs.size(), 1) << "the folder is made with its parents and the log in it";
    const QString log = folder + logs.front();
    EXPECT_EQ(QFileInfo(log).size(), 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}\\.csv$")).match(logs.front()).hasMatch());

    deliverBuffers(w, 4);
    EXPECT_TRUE(filesIn(folder, QStringLiteral("*.bmp")).isEmpty()) << "no sweep end yet";
    deliverBuffers(w, 1);
    ASSERT_EQ(w.state().writeIndex, 5 * kBufferSamples - 44101);
    const QStringList bitmaps = filesIn(folder, QStringLiteral("*.bmp"));
    ASSERT_EQ(bitmaps.size(), 1);
    QList<QByteArray> lines = csvLines(log);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith("\r"));
    EXPECT_EQ(lines[0].count(','), 5);
    EXPECT_TRUE(lines[0].startsWith('"' + QFileInfo(bitmaps.front()).completeBaseName().toUtf8() + '"'))
        << "the line carries the snapshot's stamp: " << lines[0].toStdString();
    QImage snapshot(folder + bitmaps.front());
    EXPECT_EQ(snapshot.width(), w.form->PaintBox1->width());

    // The recording goes on while the display is stopped; the file type follows the menu.
    w.form->jpeg1->trigger();
    w.form->StopButton->click();
    deliverBuffers(w, 4);
    EXPECT_EQ(filesIn(folder, QStringLiteral("*.jpg")).size(), 1);
    EXPECT_EQ(csvLines(log).size(), 2);

    // Closing the window with the button down closes the log with everything in it.
    w.form.reset();
    EXPECT_EQ(csvLines(log).size(), 2);
    EXPECT_TRUE(w.errors.empty());
}

TEST(WindowRecording, ImpossibleFolderIsReportedAndCaptureGoesOn)
{
    QTemporaryDir temp;
    const QString plainFile = temp.filePath(QStringLiteral("file"));
    QFile(plainFile).open(QIODevice::WriteOnly);
    Window w;
    w.form->recordFolder = plainFile + QStringLiteral("/Tamsel/");
    w.form->N11Click();
    w.form->recBtn->click();
    ASSERT_EQ(w.errors.size(), 1u);
    EXPECT_TRUE(w.form->recBtn->isChecked()) << "the button stays as the click left it";

    deliverBuffers(w, 4);
    std::vector<int16_t> last(kBufferSamples, 300);
    last.back() = -4321;
    w.deliver(last);
    EXPECT_EQ(w.errors.size(), 2u) << "the snapshot could not be saved";
    EXPECT_EQ(w.state().writeIndex, 5 * kBufferSamples - 44101) << "the buffer was stored to its end";
    EXPECT_EQ(w.state().sampleHistory[w.state().writeIndex - 1], 4321);
    EXPECT_EQ(w.service->queued(), 4u);
    deliverBuffers(w, 1);
    EXPECT_EQ(w.state().writeIndex, 6 * kBufferSamples - 44101);
}

TEST(WindowRecording, FailedSnapshotStillWritesItsLogLine)
{
    QTemporaryDir temp;
    const QString plainFile = temp.filePath(QStringLiteral("file"));
    QFile(plainFile).open(QIODevice::WriteOnly);
    Window w;
    const QString folder = temp.filePath(QStringLiteral("rec/"));
    w.form->recordFolder = folder;
    w.form->N11Click();
    w.form->recBtn->click();
    ASSERT_TRUE(w.errors.empty());
    const QString log = folder + filesIn(folder, QStringLiteral("*.csv")).value(0);
    w.form->recordFolder = plainFile + QStringLiteral("/");
    deliverBuffers(w, 5);
    EXPECT_EQ(w.errors.size(), 1u);
    EXPECT_EQ(csvLines(log).size(), 1) << "the measurement is kept without its picture";
    // The next sweep end tries again, and succeeds where the folder can be written.
    w.form->recordFolder = folder;
    deliverBuffers(w, 4);
    EXPECT_EQ(csvLines(log).size(), 2);
    EXPECT_EQ(w.errors.size(), 1u);
}
