// The menus the window adds to its menu tree, the show handler, pulse and A-C modes and the
// calibrations.
#include <QGuiApplication>
#include <QMenuBar>
#include <QShowEvent>

#include "app/HelpMenu.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingsMenu.h"
#include "measurement/Readouts.h"
#include "recording/RecordNames.h"
#include "settings/DialogPlacement.h"

namespace tamsel {

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    buildMenuTree(bar, this);
    Recordings1 = new RecordingsMenu(*this, fileMenu_, optionMenu_);
    About2 = bar->addAction(QStringLiteral("&About"));
    About2->setObjectName(QStringLiteral("About2"));
    Help1 = new HelpMenu(this, bar);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    CentreOnParent(this); // it has none: the screen
    FormShow();
}

void TForm1::FormShow()
{
    session_.shown(N8->isChecked() ? std::optional(state.boundaryLevel) : std::nullopt);
    recordFolder = tamsel::recordFolder(japanese());
    Recordings1->showFolder(); // a folder the user chose replaces it
    SpeedButton7->setChecked(NOn1->isChecked());
    SpeedButton8->setEnabled(!NOn1->isChecked());
    StatusBar1->setPanelText(0, viewMenu_.shownText());
    BackPanel1->bpsLabel->setCaption(state.beatUnit == 0 ? QStringLiteral("bps") : QStringLiteral("bph"));
    ShowBeatRate();
}

void TForm1::NOn1Click()
{
    NOn1->setChecked(true);
    SpeedButton7->setChecked(true);
    SpeedButton8->setEnabled(false);
    session_.forgetAmplitude();
    leds_.markAmplitudeNotValid();
    BackPanel1->showLeds(leds_, Reading::kAmplitude);
}

void TForm1::NOff1Click()
{
    NOff1->setChecked(true);
    SpeedButton7->setChecked(false);
    SpeedButton8->setEnabled(true);
}

void TForm1::SpeedButton7Click()
{
    if (SpeedButton7->isChecked())
        NOn1Click();
    else
        NOff1Click();
}

void TForm1::SpeedButton7MouseMove()
{
    SpeedButton7->setToolTip(SpeedButton7->isChecked() ? QStringLiteral("Pulse Mode")
                                                       : QStringLiteral("Analog Mode"));
}

void TForm1::SpeedButton8MouseMove()
{
    SpeedButton8->setToolTip(SpeedButton8->isChecked() ? QStringLiteral("A-C Mode")
                                                       : QStringLiteral("Peak Mode"));
}

void TForm1::N33Click()
{
    session_.measureNoiseLevel();
    DrawSignalOverlay();
}

void TForm1::T1Click()
{
    session_.startTimeSignal();
    clock_->show();
}

void TForm1::timeSignalStarted()
{
    BackPanel1->autosw->setChecked(false);
    leds_.showTimeSignalRate();
    BackPanel1->showLeds(leds_, Reading::kBeatRate);
}

void TForm1::F1Click()
{
    F1->setChecked(!F1->isChecked());
    BackPanel1->SpeedButton5->setVisible(F1->isChecked());
    BackPanel1->SpeedButton6->setVisible(F1->isChecked());
}

void TForm1::SpeedButton5Click()
{
    clock_->step(+1, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
}

void TForm1::SpeedButton6Click()
{
    clock_->step(-1, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
}

void TForm1::Exit1Click()
{
    close();
}

} // namespace tamsel
