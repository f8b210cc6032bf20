#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>
#include <csetjmp>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include <jpeglib.h>

#include "FileSizeLimit.h"
#include "display/Canvas.h"
#include "measurement/AnalysisOutput.h"
#include "recording/CsvLog.h"
#include "recording/Recorder.h"
#include "recording/SnapshotFile.h"

using namespace tamsel;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 13 pixels wide, so that bitmap rows need padding; red left, blue right.
QImage testImage()
{
    QImage image = whiteLayer(13, 7);
    Canvas canvas(image);
    canvas.setBrushColor(0xFF0000);
    canvas.fillRect(0, 0, 6, 7);
    canvas.setBrushColor(0x0000FF);
    canvas.fillRect(7, 0, 13, 7);
    return image;
}

// A path that can never be a folder: it lies under a regular file.
QString underRegularFile(const QTemporaryDir &dir)
{
    QFile file(dir.filePath("plain-file"));
    file.open(QIODevice::WriteOnly);
    return file.fileName() + "/sub/";
}

struct JumpError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// Decodes with libjpeg's decompressor: {progressive, width, height, components, row 3}.
struct Decoded {
    bool progressive;
    int width, height, components;
    std::vector<unsigned char> row3;
};
bool decodeJpeg(const QByteArray &bytes, Decoded &out)
{
    jpeg_decompress_struct info{};
    JumpError error;
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = [](j_common_ptr i) {
        std::longjmp(reinterpret_cast<JumpError *>(i->err)->jump, 1);
    };
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    out = {bool(info.progressive_mode), int(info.output_width), int(info.output_height),
           info.output_components, std::vector<unsigned char>(info.output_width * info.output_components)};
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.row3.data();
        if (jpeg_read_scanlines(&info, &row, 1) == 1 && info.output_scanline == 4)
            break;
    }
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

TEST(SnapshotFile, BitmapIsAStandard24BitFileThatDecodes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    ASSERT_EQ(saveSnapshot(testImage(), path, false), "");
    const QByteArray b = readAll(path);
    ASSERT_GE(b.size(), 54);
    auto le32 = [&](int at) { return qFromLittleEndian<qint32>(b.constData() + at); };
    EXPECT_EQ(b.left(2), "BM");
    EXPECT_EQ(le32(2), b.size());
    EXPECT_EQ(le32(14), 40);                                       // BITMAPINFOHEADER
    EXPECT_EQ(le32(18), 13);                                       // width
    EXPECT_EQ(le32(22), 7);                                        // positive height: bottom-up
    EXPECT_EQ(qFromLittleEndian<quint16>(b.constData() + 28), 24); // bits per pixel
    EXPECT_EQ(le32(30), 0);                                        // uncompressed
    EXPECT_EQ(b.size(), le32(10) + 40 * 7);                        // rows of 39 bytes padded to 40
    EXPECT_EQ(QImageReader(path).read().convertToFormat(QImage::Format_RGB32), testImage());
}

TEST(SnapshotFile, JpegIsBaselineColourAndDecodes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.jpg");
    ASSERT_EQ(saveSnapshot(testImage(), path, true), "");
    const QByteArray bytes = readAll(path);
    EXPECT_TRUE(bytes.contains(QByteArray("\xFF\xC0", 2)));  // SOF0: baseline
    EXPECT_FALSE(bytes.contains(QByteArray("\xFF\xC2", 2))); // no progressive frame
    Decoded jpeg;
    ASSERT_TRUE(decodeJpeg(bytes, jpeg));
    EXPECT_FALSE(jpeg.progressive);
    EXPECT_EQ(jpeg.width, 13);
    EXPECT_EQ(jpeg.height, 7);
    ASSERT_EQ(jpeg.components, 3);
    EXPECT_GT(jpeg.row3[1 * 3 + 0], 200); // red stays red
    EXPECT_LT(jpeg.row3[1 * 3 + 2], 60);
    EXPECT_GT(jpeg.row3[11 * 3 + 2], 200); // blue stays blue
}

TEST(SnapshotFile, FailuresAreReportedAndLeaveFilesAsTheyWere)
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    const QString older = dir.filePath("older.img");
    for (bool jpeg : {false, true}) {
        const QString bad = underRegularFile(dir) + "x.img";
        EXPECT_NE(saveSnapshot(testImage(), bad, jpeg), "");
        EXPECT_FALSE(QFile::exists(bad));
        const QString error = saveSnapshot(testImage(), readOnly + "/a.img", jpeg);
        if (geteuid() != 0) { // root writes anyway
            EXPECT_NE(error, "");
        }
        // an image that cannot be encoded does not touch an older file of that name
        QFile file(older);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("older");
        file.close();
        EXPECT_NE(saveSnapshot(QImage(), older, jpeg), "");
        EXPECT_EQ(readAll(older), "older");
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(CsvLog, LinesReachTheFileAsTheyAreWrittenAndErrorsAreTexts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    CsvLog log;
    EXPECT_NE(log.appendLine("x"), "");
    EXPECT_NE(log.close(), "");
    ASSERT_EQ(log.create(path), "");
    EXPECT_EQ(log.appendLine("\"a\",1"), "");
    EXPECT_EQ(readAll(path), "\"a\",1\r\n"); // visible before the log is closed
    EXPECT_EQ(log.appendLine("\"b\",2"), "");
    EXPECT_EQ(log.close(), "");
    EXPECT_EQ(readAll(path), "\"a\",1\r\n\"b\",2\r\n");
    EXPECT_NE(log.create(path), ""); // never replaces a log
    EXPECT_EQ(readAll(path), "\"a\",1\r\n\"b\",2\r\n");
    EXPECT_NE(log.create(underRegularFile(dir) + "log.csv"), "");
    EXPECT_FALSE(log.isOpen());
    // A line that does not fit is taken off again, with the system's reason.
    const QString limited = dir.filePath("full.csv");
    ASSERT_EQ(log.create(limited), "");
    ASSERT_EQ(log.appendLine("a,b"), "");
    {
        const test::FileSizeLimit full(8);
        ASSERT_TRUE(full.active());
        const QString error = log.appendLine("x,y");
        EXPECT_TRUE(
            error.endsWith(QString::fromStdString(std::make_error_code(std::errc::file_too_large).message()) +
                           ". The lines written before it are kept (1)."))
            << error.toStdString();
    }
    EXPECT_EQ(readAll(limited), "a,b\r\n");
    EXPECT_EQ(log.appendLine("c"), "");
    EXPECT_EQ(readAll(limited), "a,b\r\nc\r\n");
}

namespace {

SweepRecord watchSweep()
{
    SweepRecord sweep;
    sweep.beatsPerSecond = 5.5;
    sweep.rateRatio = -3.125 / 86400.0;
    sweep.reading.showRate(-3.125, sweep.rateRatio);
    sweep.reading.showAmplitude(275, 500, 1, AnalysisControls{});
    sweep.reading.showBeatError(0.2);
    return sweep;
}

struct RecorderTest : ::testing::Test {
    QTemporaryDir dir;
    QDateTime time{QDate(2024, 12, 1), QTime(9, 30, 15)};
    Recorder recorder;
    QString folder = dir.filePath("Documents/My Pictures/Tamsel/");
    SnapshotLayers layers{whiteLayer(30, 20), testImage(), whiteLayer(30, 10), whiteLayer(30, 10)};
    SweepValues values{watchSweep(), {"", "", "0.200 msec", "", "275 deg", "", "-3.125 sec/day"}};

    void SetUp() override
    {
        recorder.setClock([this] { return time; });
    }
    QString sweep(const QString &where, bool jpeg = false)
    {
        SnapshotOptions options;
        options.jpeg = jpeg;
        return recorder.recordSweep(layers, options, values, where);
    }
};

} // namespace

TEST_F(RecorderTest, LogFromPressToReleaseAndOneLinePerSweep)
{
    ASSERT_EQ(recorder.start(folder), ""); // creates the missing folders
    EXPECT_EQ(recorder.logPath(), folder + "20241201093015.csv");
    time = time.addSecs(60);
    EXPECT_EQ(sweep(folder, true), "");
    EXPECT_EQ(sweep(folder, true), ""); // same second: same stamp, a second snapshot
    EXPECT_EQ(QDir(folder).entryList({"*.jpg"}), QStringList({"20241201093115-2.jpg", "20241201093115.jpg"}));
    const QByteArray line = "\"20241201093115\",5.5,275,0.200,-3.125,-0.0000361689814814815\r\n";
    EXPECT_EQ(readAll(recorder.logPath()), line + line);
    EXPECT_EQ(recorder.stop(), "");
    time = time.addSecs(5);
    ASSERT_EQ(recorder.start(folder), ""); // a new log with a new stamp
    EXPECT_EQ(recorder.logPath(), folder + "20241201093120.csv");
    EXPECT_EQ(QDir(folder).entryList({"*.csv"}).size(), 2);
    // Pressed again within the second: the first log stays whole.
    EXPECT_EQ(sweep(folder), "");
    EXPECT_EQ(recorder.stop(), "");
    ASSERT_EQ(recorder.start(folder), "");
    EXPECT_EQ(recorder.logPath(), folder + "20241201093120-2.csv");
    EXPECT_EQ(readAll(folder + "20241201093120.csv").count('\n'), 1);
}

TEST_F(RecorderTest, FailedSnapshotStillWritesItsLineAndKeepsEarlierFiles)
{
    ASSERT_EQ(recorder.start(folder), "");
    ASSERT_EQ(sweep(folder), "");
    const QByteArray snapshot = readAll(folder + "20241201093015.bmp");
    const QByteArray log = readAll(recorder.logPath());
    time = time.addSecs(1);
    const QString error = sweep(underRegularFile(dir));
    EXPECT_TRUE(error.startsWith("Cannot write the snapshot")) << error.toStdString();
    EXPECT_FALSE(error.contains('\n'));
    EXPECT_EQ(readAll(recorder.logPath()), log + QByteArray(log).replace("093015", "093016"));
    EXPECT_EQ(readAll(folder + "20241201093015.bmp"), snapshot);
    EXPECT_EQ(recorder.failures(), 1);
}

TEST_F(RecorderTest, FullDiskLeavesNoPartOfASnapshotNorOfALine)
{
    ASSERT_EQ(recorder.start(folder), "");
    ASSERT_EQ(sweep(folder, true), "");
    const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    const QByteArray log = readAll(recorder.logPath());
    time = time.addSecs(60);
    for (const bool jpeg : {true, false}) {
        QString error;
        {
            const test::FileSizeLimit full(log.size() + 10); // less than any snapshot or line
            ASSERT_TRUE(full.active());
            error = sweep(folder, jpeg);
        }
        // Both failures, each with the system's reason.
        const QStringList errors = error.split('\n');
        ASSERT_EQ(errors.size(), 2) << error.toStdString();
        EXPECT_TRUE(errors[0].startsWith("Cannot write the snapshot")) << error.toStdString();
        EXPECT_TRUE(errors[1].startsWith("Cannot write to the CSV log")) << error.toStdString();
        for (const QString &each : errors)
            EXPECT_TRUE(each.contains(
                QString::fromStdString(std::make_error_code(std::errc::file_too_large).message())));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), before)
            << "no part of it, no temporary";
        EXPECT_EQ(readAll(recorder.logPath()), log) << "ends in its last whole line";
    }
}

TEST_F(RecorderTest, TakenNamesGetASuffixAndLinksAreNotFollowed)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString victim = dir.filePath("victim");
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("victim");
    file.close();
    // Another run's snapshot, and links to a file elsewhere, at the names this run takes.
    const QString theirs = folder + "20241201093015.bmp";
    ASSERT_TRUE(QFile::copy(victim, theirs));
    ASSERT_TRUE(QFile::link(victim, folder + "20241201093015.jpg"));
    ASSERT_TRUE(QFile::link(victim, folder + "20241201093015.csv"));
    ASSERT_EQ(recorder.start(folder), "");
    EXPECT_EQ(recorder.logPath(), folder + "20241201093015-2.csv");
    EXPECT_EQ(sweep(folder), "");
    EXPECT_EQ(sweep(folder, true), "");
    EXPECT_EQ(readAll(theirs), "victim");
    EXPECT_FALSE(QImage(folder + "20241201093015-2.bmp").isNull());
    EXPECT_FALSE(QFileInfo(folder + "20241201093015.jpg").isSymLink()) << "the link is replaced";
    EXPECT_FALSE(QImage(folder + "20241201093015.jpg").isNull());
    EXPECT_EQ(readAll(victim), "victim");
    EXPECT_EQ(readAll(recorder.logPath()).count('\n'), 2);
}

TEST_F(RecorderTest, FolderThatCannotBeMadeIsReportedWithTheSystemsReason)
{
    auto reason = [](std::errc code) { return QString::fromStdString(std::make_error_code(code).message()); };
    const QString error = recorder.start(underRegularFile(dir));
    EXPECT_TRUE(error.startsWith("Cannot create the folder")) << error.toStdString();
    EXPECT_TRUE(error.endsWith(reason(std::errc::not_a_directory))) << error.toStdString();
    EXPECT_FALSE(recorder.isLogOpen());
    // A parent that may not be written, tried as an ordinary user (the superuser writes anyway).
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0555), 0);
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    auto denied = [&] {
        return Recorder().start(locked + "/Tamsel/").endsWith(reason(std::errc::permission_denied));
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(denied());
    } else {
        EXPECT_EXIT(
            {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(2);
                _exit(denied() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    // No known place at all: refused, and nothing lands in the working folder.
    const QString working = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_TRUE(recorder.start("").startsWith("There is no folder for the recordings"));
    EXPECT_TRUE(sweep("").startsWith("There is no folder for the recordings"));
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{"plain-file"});
    QDir::setCurrent(working);
    EXPECT_NE(recorder.stop(), "");
    // with the log not open, a sweep end saves the snapshot and then reports the log
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(sweep(folder).contains("not open"));
    EXPECT_TRUE(QFile::exists(folder + "20241201093015.bmp"));
}
