#include "settings/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "FileSizeLimit.h"

using tamsel::IniDocument;

namespace {

IniDocument Parsed(const char *text)
{
    IniDocument doc;
    doc.Parse(QByteArray(text));
    return doc;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST(IniDocumentTest, ReadingRules)
{
    const IniDocument doc = Parsed("stray=1\n"
                                   "[Init]\r\n"
                                   "; a comment\r\n"
                                   "\r\n"
                                   "Checked=1\n"
                                   "Spaced = 2 \r"
                                   "Name=a=b\n"
                                   "[Init] \n"
                                   "[Other]\n"
                                   "x=y");
    EXPECT_EQ(doc.SectionNames(), QStringList({"Init", "Other"}));
    EXPECT_FALSE(doc.ValueExists("Init", "stray"));
    // Lines are kept verbatim: "[Init] " is no section line, and blanks around "=" stay.
    EXPECT_EQ(doc.SectionLines("Init"), QStringList({"Checked=1", "Spaced = 2 ", "Name=a=b", "[Init] "}));
    EXPECT_EQ(doc.ReadString("Init", "Spaced ", "-"), " 2 ");
    EXPECT_FALSE(doc.ValueExists("Init", "Spaced"));
    EXPECT_EQ(doc.ReadString("Init", "Name", "-"), "a=b");
    EXPECT_EQ(doc.ReadString("Other", "x", "-"), "y");
}

TEST(IniDocumentTest, SectionsAndKeysIgnoreCase)
{
    const IniDocument doc = Parsed("[init]\nchecked=1\n");
    EXPECT_TRUE(doc.HasSection("INIT"));
    EXPECT_TRUE(doc.ValueExists("Init", "Checked"));
    EXPECT_EQ(doc.ReadInteger("Init", "CHECKED", 7), 1);
    EXPECT_EQ(doc.ReadInteger("Init", "Missing", 7), 7);
    EXPECT_EQ(doc.ReadInteger("Missing", "Checked", 7), 7);
}

TEST(IniDocumentTest, WritesInPlaceAppendsAndRewritesWithCrLf)
{
    IniDocument doc = Parsed("; header\n[A]\none=1\n\n; note\ntwo=2\n[B]\nthree=3\n");
    doc.WriteInteger("a", "ONE", 10); // replaced in place, under the writer's spelling
    doc.WriteString("A", "four", "x y");
    doc.WriteString("C", "five", "");
    doc.DeleteKey("B", "three");
    EXPECT_EQ(doc.ToBytes(), QByteArray("[A]\r\nONE=10\r\ntwo=2\r\nfour=x y\r\n\r\n"
                                        "[B]\r\n\r\n"
                                        "[C]\r\nfive=\r\n\r\n"));
    EXPECT_EQ(IniDocument().ToBytes(), QByteArray());
}

TEST(IniDocumentTest, DeleteKeysKeepsTheSection)
{
    IniDocument doc = Parsed("[Obj]\nFont0=a\nFont1=b\n[Next]\nk=v\n");
    doc.DeleteKeys("obj");
    EXPECT_TRUE(doc.HasSection("Obj"));
    EXPECT_TRUE(doc.SectionLines("Obj").isEmpty());
    EXPECT_TRUE(doc.ValueExists("Next", "k"));
}

TEST(IniDocumentTest, IntegerText)
{
    EXPECT_EQ(IniDocument::ParseInteger("0x10"), 16);
    EXPECT_EQ(IniDocument::ParseInteger("0X1f"), 31);
    EXPECT_EQ(IniDocument::ParseInteger("0xFFFFFFFF"), -1);
    EXPECT_EQ(IniDocument::ParseInteger("-42"), -42);
    EXPECT_EQ(IniDocument::ParseInteger(" 7 "), 7);
    EXPECT_EQ(IniDocument::ParseInteger("2147483647"), 2147483647);
    for (const char *bad :
         {"", "0x", "0x100000000", "0x-1", "0x0x1", "0xg", "12abc", "1.5", "2147483648", "x"})
        EXPECT_FALSE(IniDocument::ParseInteger(bad).has_value()) << bad;
    EXPECT_EQ(Parsed("[S]\nk=abc\n").ReadInteger("S", "k", 5), 5);
}

TEST(IniDocumentTest, FloatText)
{
    IniDocument doc;
    doc.WriteFloat("S", "third", 1.0 / 3.0);
    doc.WriteFloat("S", "whole", 2.0);
    EXPECT_EQ(doc.ReadString("S", "third", ""), "0.333333333333333");
    EXPECT_EQ(doc.ReadString("S", "whole", ""), "2");
    EXPECT_DOUBLE_EQ(doc.ReadFloat("S", "third", 0), 0.333333333333333);
    doc.WriteString("S", "bad", "1.5x");
    EXPECT_EQ(doc.ReadFloat("S", "bad", -1), -1);
}

TEST(IniDocumentTest, FilesRoundTripAsUtf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    IniDocument doc;
    EXPECT_EQ(doc.LoadFile(path), IniDocument::OpenResult::Missing);
    doc.WriteString(QString::fromUtf8("設定"), "Caption", QString::fromUtf8("タムセル"));
    ASSERT_TRUE(doc.SaveFile(path));
    EXPECT_EQ(ReadAll(path),
              QByteArray("[\xe8\xa8\xad\xe5\xae\x9a]\r\nCaption=\xe3\x82\xbf\xe3\x83\xa0\xe3\x82\xbb"
                         "\xe3\x83\xab\r\n\r\n"));
    IniDocument back;
    EXPECT_EQ(back.LoadFile(path), IniDocument::OpenResult::Read);
    EXPECT_EQ(back.ReadString(QString::fromUtf8("設定"), "caption", ""), QString::fromUtf8("タムセル"));
    EXPECT_EQ(back.LoadFile(dir.path()), IniDocument::OpenResult::Unreadable);
}

TEST(IniDocumentTest, FailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    const QByteArray old = "[Init]\r\nold=1\r\n\r\n";
    ASSERT_TRUE(WriteAll(path, old));
    IniDocument doc;
    doc.WriteString("Init", "big", QString(4096, u'x'));

    bool written = true;
    {
        const tamsel::test::FileSizeLimit full(100);
        ASSERT_TRUE(full.active());
        written = doc.SaveFile(path);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"a.ini"})); // no temporary left
}

TEST(IniDocumentTest, RewriteKeepsTheFilesMode)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    const QByteArray name = QFile::encodeName(path);
    IniDocument doc;
    doc.WriteString("Init", "new", "1");
    const mode_t savedMask = umask(022);
    // Shared with the group, and read-only (which only the superuser may rewrite).
    for (const mode_t mode : {mode_t(0664), mode_t(0444)}) {
        ASSERT_TRUE(WriteAll(path, "[Init]\r\nold=1\r\n\r\n"));
        ASSERT_EQ(chmod(name.constData(), mode), 0);
        const bool written = doc.SaveFile(path);
        EXPECT_EQ(written, mode == 0664 || geteuid() == 0) << std::oct << mode;
        struct stat info {};
        ASSERT_EQ(stat(name.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        ASSERT_EQ(chmod(name.constData(), 0644), 0);
    }
    umask(savedMask);
}

// NUL bytes in a damaged file are dropped: what is written back reads back the same, and is
// never taken for UTF-16 (a section name after NULs once was).
TEST(IniDocumentTest, NulBytesAreDroppedSoTheFileWrittenBackReadsTheSame)
{
    const QByteArray damaged = QByteArray::fromBase64("77u/dgbrf10KWwAAAAAASW54eHiBPXh4eHh4dF0N");
    IniDocument doc;
    doc.Parse(damaged);
    const QByteArray written = doc.ToBytes();
    EXPECT_FALSE(written.contains('\0'));
    IniDocument again;
    again.Parse(written);
    EXPECT_EQ(again.ToBytes(), written);
    EXPECT_EQ(again.SectionNames(), doc.SectionNames());
}
