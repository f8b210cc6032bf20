// The lift angle, the volume mixer and the about box. The two dialogs put the Start button
// up while they are open: samples are stored but neither drawn nor analysed meanwhile.
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "settings/MixerLaunch.h"
#include "settings/VersionInfo.h"

namespace tamsel {

void TForm1::N521Click()
{
    N521->setChecked(true);
    session_.setLiftAngle(52);
}

void TForm1::N10Click()
{
    StartButton->setChecked(false);
    N10->setChecked(true);
    OKBottomDlg->SetSpinEditValue(state.liftAngle);
    if (OKBottomDlg->exec() == QDialog::Accepted)
        session_.setLiftAngle(OKBottomDlg->SpinEditValue());
    setStartDown();
}

void TForm1::Play1Click()
{
    LaunchMixer(false);
}

void TForm1::Rec1Click()
{
    LaunchMixer(true);
}

void TForm1::About1Click()
{
    StartButton->setChecked(false);
    AboutDlg1->ReadVersion(VersionInfo::Running()); // a failure leaves Start up, as it says
    AboutDlg1->exec();
    setStartDown();
}

} // namespace tamsel
