// Measuring through an ordinary microphone: the input filter conditions every sample before
// it is stored, and the automatic threshold moves the track bar with the signal.
#include <QMenu>

#include "app/TForm1.h"

namespace tamsel {

// The item's check mark has already changed.
void TForm1::InputFilter1Click()
{
    session_.measuringModeChanged();
}

void TForm1::AutoThreshold1Click()
{
    session_.restartThreshold();
}

void TForm1::TrackBar1Moved()
{
    AutoThreshold1->setChecked(false);
}

} // namespace tamsel
