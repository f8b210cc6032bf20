#include "settings/AboutBox.h"
#include "settings/MixerLaunch.h"
#include "settings/SystemInfo.h"
#include "settings/Unit1.h"
#include "settings/VersionInfo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace tamsel;

namespace {

// Runs the dialog modally and does `action` from inside its event loop. A dialog that
// the action fails to close ends with 99 instead of hanging the test.
int ExecWith(QDialog &dialog, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &dialog, [&dialog] { dialog.done(99); });
    guard.start(20000);
    return dialog.exec();
}

void Key(QWidget *target, int key, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces the spin edit's text the way a user does: select all, then type.
void Type(TOKBottomDlg &dialog, const QString &text)
{
    auto *edit = dialog.SpinEdit1->findChild<QLineEdit *>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    Key(edit, Qt::Key_Backspace);
    for (QChar c : text)
        Key(edit, c.unicode(), QString(c));
}

const QString failureText = QString::fromUtf8("情報の取得に失敗しました");

} // namespace

TEST(LiftAngleDialog, ValueSetByTheProgramIsBroughtIntoRange)
{
    TOKBottomDlg dialog;
    EXPECT_EQ(dialog.SpinEditValue(), 10);
    dialog.SetSpinEditValue(5);
    EXPECT_EQ(dialog.SpinEditValue(), 10);
    dialog.SetSpinEditValue(95);
    EXPECT_EQ(dialog.SpinEditValue(), 90);
    dialog.SetSpinEditValue(52);
    EXPECT_EQ(dialog.SpinEditValue(), 52);
    dialog.SetSpinEditValue(INT32_MIN);
    EXPECT_EQ(dialog.SpinEditValue(), 10);
}

TEST(LiftAngleDialog, TextThatIsNotAnIntegerReadsAsMinimum)
{
    EXPECT_EQ(TOKBottomDlg::ValueFromText(QString()), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("-"), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("+"), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("abc"), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("7x"), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("99999999999"), 10);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("75"), 75);
    EXPECT_EQ(TOKBottomDlg::ValueFromText("+61"), 61);
}

TEST(LiftAngleDialog, ReadsWhatTheUserTyped)
{
    TOKBottomDlg dialog;
    dialog.SetSpinEditValue(52);
    Type(dialog, "75");
    EXPECT_EQ(dialog.SpinEdit1->text(), "75");
    EXPECT_EQ(dialog.SpinEditValue(), 75);

    Type(dialog, "");
    EXPECT_TRUE(dialog.SpinEdit1->text().isEmpty()); // not yet fixed up by the spin box
    EXPECT_EQ(dialog.SpinEditValue(), 10);

    Type(dialog, "+");
    EXPECT_EQ(dialog.SpinEditValue(), 10);

    // A text put there by other means (a paste past the validator) reads by the same rule.
    dialog.SpinEdit1->findChild<QLineEdit *>()->setText("-");
    EXPECT_EQ(dialog.SpinEditValue(), 10);
}

TEST(LiftAngleDialog, OkAndCancelResults)
{
    TOKBottomDlg dialog;
    EXPECT_EQ(ExecWith(dialog, [&] { dialog.OKBtn->click(); }), 1);
    EXPECT_NE(ExecWith(dialog, [&] { dialog.CancelBtn->click(); }), 1);
    EXPECT_NE(ExecWith(dialog, [&] { Key(&dialog, Qt::Key_Escape); }), 1);
}

TEST(LiftAngleDialog, ClearedFieldAndEnterGiveMinimumWithOk)
{
    TOKBottomDlg dialog;
    dialog.SetSpinEditValue(52);
    const int result = ExecWith(dialog, [&] {
        Type(dialog, "");
        Key(dialog.SpinEdit1, Qt::Key_Return); // Enter presses the default button
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.SpinEditValue(), 10);
    EXPECT_EQ(dialog.SpinEdit1->value(), 10); // the spin box agrees with the text
}

TEST(LiftAngleDialog, DesignAndPlacement)
{
    QWidget window;
    window.setGeometry(100, 80, 500, 400);
    window.show();
    TOKBottomDlg dialog(&window);
    EXPECT_EQ(dialog.windowTitle(), "Lift angle Set");
    EXPECT_EQ(dialog.size(), QSize(243, 94));
    EXPECT_TRUE(dialog.OKBtn->isDefault());
    EXPECT_EQ(dialog.CancelBtn->text(), "CANCEL");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    QPoint centre;
    ExecWith(dialog, [&] {
        centre = dialog.frameGeometry().center();
        dialog.OKBtnClick();
    });
    const QPoint expected = window.frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - expected.x()), 2);
    EXPECT_LE(std::abs(centre.y() - expected.y()), 2);

    // A window mostly off the screen does not take the dialog off with it.
    const QRect area = window.screen()->availableGeometry();
    window.move(area.right() - 50, area.bottom() - 50);
    QRect shown;
    ExecWith(dialog, [&] {
        shown = dialog.frameGeometry();
        dialog.OKBtnClick();
    });
    EXPECT_TRUE(area.contains(shown)) << shown.x() << "," << shown.y();
}

TEST(VersionReader, ReadsTheRunningProgramsStringsByIndex)
{
    const VersionInfo &info = VersionInfo::Running();
    EXPECT_GT(info.Size(), 0u);
    EXPECT_EQ(info.Read(9), QString::fromUtf8("タムセル"));
    EXPECT_EQ(QStringLiteral("Version") + info.Read(3), "Version2.0.2.6");
    EXPECT_EQ(info.Read(10), "2.0");
    EXPECT_EQ(info.Read(4), "Quorlen");
    EXPECT_EQ(info.Read(7), "quorlen");
    EXPECT_EQ(info.Read(0), "");
    EXPECT_EQ(info.Read(8), ""); // no such string
    EXPECT_EQ(info.Read(-1), "");
    EXPECT_EQ(info.Read(12), "");
    EXPECT_EQ(ReadVersionString(9), QString::fromUtf8("タムセル"));
}

TEST(VersionReader, QueryPathFromTheFirstTranslation)
{
    EXPECT_EQ(VersionInfo::QueryPath(0x03A40411u, "ProductName"), "\\StringFileInfo\\041103A4\\ProductName");
    EXPECT_EQ(VersionInfo::QueryPath(0x04B0000Au, "X"), "\\StringFileInfo\\000A04B0\\X");

    // The first entry decides, even when a later one has the string.
    VersionInfo info(
        VersionTable{{0x04E40409u, 0x03A40411u},
                     {{"041103A4", {{"ProductName", "ja"}}}, {"040904e4", {{"ProductName", "en"}}}}});
    EXPECT_EQ(info.Read(9), "en");
    VersionInfo other(VersionTable{{0x04B00407u}, {{"041103A4", {{"ProductName", "ja"}}}}});
    EXPECT_EQ(other.Read(9), "");
}

TEST(VersionReader, FailurePaths)
{
    VersionInfo none{VersionTable{}};
    EXPECT_EQ(none.Size(), 0u);
    EXPECT_EQ(none.Read(9), "");

    VersionInfo untranslated(VersionTable{{}, {{"041103A4", {{"ProductName", "x"}}}}});
    try {
        untranslated.Read(9);
        ADD_FAILURE() << "no error raised";
    } catch (const EVersionInfo &e) {
        EXPECT_EQ(e.Message(), failureText);
        EXPECT_EQ(QString::fromUtf8(e.what()), failureText);
    }
}

TEST(MixerLaunch, StartsOnlyWhatIsThere)
{
    EXPECT_FALSE(LaunchFirstMixer({}));
    EXPECT_FALSE(
        LaunchFirstMixer({{"no-such-mixer-4f1c9", {}}, {"/no/such/dir/mixer", {"--tab=3"}}, {"", {}}}));
    EXPECT_TRUE(LaunchFirstMixer({{"no-such-mixer-4f1c9", {}}, {"/bin/true", {"--tab=4"}}}));
    // A terminal is no use without the mixer it should run.
    EXPECT_FALSE(LaunchFirstMixer({{"/bin/true", {"-e", "no-such-mixer-4f1c9"}}}));
    EXPECT_TRUE(LaunchFirstMixer({{"/bin/true", {"-e", "true"}}}));
}

TEST(SystemInformation, ParsesProcTexts)
{
    const QString meminfo = "MemTotal:       24683772 kB\nMemFree:        21717548 kB\n"
                            "MemAvailable:   23617184 kB\n";
    EXPECT_EQ(AvailableMemoryKiB(meminfo), 23617184u);
    EXPECT_EQ(AvailableMemoryKiB("MemTotal: 100 kB\nMemFree: 42 kB\n"), 42u);
    EXPECT_FALSE(AvailableMemoryKiB("MemAvailable: lots\n").has_value());
    EXPECT_FALSE(AvailableMemoryKiB("").has_value());

    EXPECT_EQ(ProcessorName("processor\t: 0\nmodel name\t: AMD EPYC 7B13\nflags\t: fpu\n"), "AMD EPYC 7B13");
    EXPECT_EQ(ProcessorName("processor\t: 0\nBogoMIPS\t: 48.00\n\nHardware\t: BCM2835\n"), "BCM2835");
    EXPECT_EQ(ProcessorName("garbage without colons"), "");

    const QString line = ComposeSystemInfo(meminfo, "model name : Test CPU\n");
    EXPECT_TRUE(line.startsWith("Available memory: ")) << line.toStdString();
    EXPECT_TRUE(line.contains("Platform: "));
    EXPECT_TRUE(line.endsWith("Processor: Test CPU"));
    const QString bare = ComposeSystemInfo("", "");
    EXPECT_FALSE(bare.contains("memory"));
    EXPECT_TRUE(bare.endsWith("Processor: " + QSysInfo::currentCpuArchitecture()));
}

TEST(AboutBoxTexts, NameAndVersionFromTheVersionInformation)
{
    AboutBox box;
    EXPECT_EQ(box.windowTitle(), "About Tamsel");
    EXPECT_EQ(box.ApplicationName(), QString::fromUtf8(" タムセル"));
    EXPECT_TRUE(box.SystemInfo().contains("Processor: "));
    EXPECT_FALSE(box.MakerText().isEmpty());

    box.ReadVersion(VersionInfo::Running());
    EXPECT_EQ(box.ApplicationName(), QString::fromUtf8("タムセル"));
    EXPECT_EQ(box.VersionText(), "Version2.0.2.6");

    box.ReadVersion(VersionInfo{VersionTable{}});
    EXPECT_EQ(box.ApplicationName(), "");
    EXPECT_EQ(box.VersionText(), "Version");

    // A failed read leaves the box as it was.
    box.ReadVersion(VersionInfo::Running());
    EXPECT_THROW(box.ReadVersion(VersionInfo(VersionTable{{}, {{"041103A4", {}}}})), EVersionInfo);
    EXPECT_EQ(box.VersionText(), "Version2.0.2.6");

    EXPECT_EQ(ExecWith(box, [&] { Key(&box, Qt::Key_Return); }), QDialog::Accepted);
}
