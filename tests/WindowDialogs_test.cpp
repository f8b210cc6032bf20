// The lift angle dialog and the about box opened from the main window's menu: what they
// change, and that the measurement stands still while they are open and runs afterwards.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include "WindowDrive.h"
#include "settings/AboutBox.h"
#include "settings/Unit1.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

void key(QWidget *target, int code, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Replaces the spin edit's text as a user does: select all, delete, type.
void type(TOKBottomDlg *dialog, const QString &text)
{
    auto *edit = dialog->SpinEdit1->findChild<QLineEdit *>();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    key(edit, Qt::Key_Backspace);
    for (QChar c : text)
        key(edit, c.unicode(), QString(c));
}

// What the dialog showed and how the Start and Stop buttons stood while it was open.
struct Seen {
    int shown = -1;
    bool startDown = true;
    bool stopDown = true;
};

// Opens Change from the menu; types `text` (when given) and presses OK or CANCEL.
Seen changeLiftAngle(Window &w, const QString *text, bool ok)
{
    TOKBottomDlg *dialog = w.form->OKBottomDlg;
    Seen seen;
    WhileModal modal(dialog, [&] {
        seen.shown = dialog->SpinEdit1->value();
        seen.startDown = w.form->StartButton->isChecked();
        seen.stopDown = w.form->StopButton->isChecked();
        if (text)
            type(dialog, *text);
        (ok ? dialog->OKBtn : dialog->CancelBtn)->click();
    });
    w.form->N10->trigger();
    EXPECT_TRUE(modal.ran()) << "the dialog was shown";
    EXPECT_FALSE(dialog->isVisible());
    return seen;
}

} // namespace

TEST(LiftAngle, ChangeTypedValueThenBackTo52)
{
    Window w;
    EXPECT_EQ(w.state().liftAngle, 52);
    const QString typed = QStringLiteral("75");
    const Seen seen = changeLiftAngle(w, &typed, true);
    EXPECT_EQ(seen.shown, 52) << "the dialog opens on the current value";
    EXPECT_EQ(w.state().liftAngle, 75);
    EXPECT_TRUE(w.form->N10->isChecked());
    EXPECT_FALSE(w.form->N521->isChecked());
    // A second opening shows the first choice; CANCEL keeps it.
    const Seen again = changeLiftAngle(w, nullptr, false);
    EXPECT_EQ(again.shown, 75);
    EXPECT_EQ(w.state().liftAngle, 75);
    w.form->N521->trigger();
    EXPECT_EQ(w.state().liftAngle, 52);
    EXPECT_TRUE(w.form->N521->isChecked());
    EXPECT_FALSE(w.form->N10->isChecked());
}

TEST(LiftAngle, CancelKeepsTheValueButChangeStaysChecked)
{
    Window w;
    const QString typed = QStringLiteral("33");
    changeLiftAngle(w, &typed, false);
    EXPECT_EQ(w.state().liftAngle, 52);
    EXPECT_TRUE(w.form->N10->isChecked());
}

TEST(LiftAngle, EmptyTextOrASignAloneGivesTheMinimum)
{
    for (const QString &typed : {QString(), QStringLiteral("-")}) {
        SCOPED_TRACE(typed.toStdString());
        Window w;
        changeLiftAngle(w, &typed, true);
        EXPECT_EQ(w.state().liftAngle, 10);
    }
}

TEST(LiftAngle, MeasurementStandsStillWhileOpenAndRunsAfterwards)
{
    for (bool stoppedBefore : {false, true}) {
        SCOPED_TRACE(stoppedBefore);
        Window w;
        if (stoppedBefore)
            w.form->StopButton->click();
        const Seen seen = changeLiftAngle(w, nullptr, true);
        EXPECT_FALSE(seen.startDown);
        EXPECT_EQ(seen.stopDown, stoppedBefore) << "Start goes up without a press of Stop";
        EXPECT_TRUE(w.form->StartButton->isChecked());
        EXPECT_FALSE(w.form->StopButton->isChecked());
    }
}

TEST(LiftAngle, CaptureGoesOnStoringWhileTheDialogIsOpen)
{
    Window w;
    TOKBottomDlg *dialog = w.form->OKBottomDlg;
    int32_t during = -1;
    const int32_t scannedBefore = w.state().scanIndex;
    int32_t scanned = -1;
    WhileModal modal(dialog, [&] {
        w.deliver(std::vector<int16_t>(1000, 30000));
        during = w.state().writeIndex;
        scanned = w.state().scanIndex;
        dialog->OKBtn->click();
    });
    w.form->N10->trigger();
    EXPECT_EQ(during, 1000) << "the samples are stored";
    EXPECT_EQ(scanned, scannedBefore) << "but not analysed";
    w.deliver(std::vector<int16_t>(10, 0));
    EXPECT_GT(w.state().scanIndex, 1000) << "afterwards they are";
}

TEST(About, VersionTextAndTheStartButton)
{
    for (bool stoppedBefore : {false, true}) {
        SCOPED_TRACE(stoppedBefore);
        Window w;
        if (stoppedBefore)
            w.form->StopButton->click();
        AboutBox *box = w.form->AboutDlg1;
        QString version, name;
        bool startDown = true, stopDown = true;
        WhileModal modal(box, [&] {
            version = box->VersionText();
            name = box->ApplicationName();
            startDown = w.form->StartButton->isChecked();
            stopDown = w.form->StopButton->isChecked();
            box->accept();
        });
        w.form->About2->trigger();
        ASSERT_TRUE(modal.ran());
        EXPECT_EQ(version, "Version2.0.2.6");
        EXPECT_EQ(name, QStringLiteral("タムセル"));
        EXPECT_FALSE(startDown);
        EXPECT_EQ(stopDown, stoppedBefore);
        EXPECT_TRUE(w.form->StartButton->isChecked());
        EXPECT_FALSE(w.form->StopButton->isChecked());
        EXPECT_TRUE(w.errors.empty());
    }
}
