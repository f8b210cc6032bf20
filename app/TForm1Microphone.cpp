// Measuring through an ordinary microphone: the input filter conditions every sample before
// it is stored, and the automatic threshold moves the track bar with the signal.
#include <QMenu>
#include <QSignalBlocker>
#include <algorithm>

#include "app/TForm1.h"

namespace tamsel {

// The item's check mark has already changed.
void TForm1::InputFilter1Click()
{
    measuringModeChanged();
}

// A sweep holding both kinds of sample would measure nonsense: a new measurement.
void TForm1::measuringModeChanged()
{
    engine_.restartConditioning();
    StartButtonClick();
}

void TForm1::AutoThreshold1Click()
{
    engine_.restartThreshold();
}

void TForm1::TrackBar1Moved()
{
    AutoThreshold1->setChecked(false);
}

// Once per buffer. The track bar shows the new level without counting the beats anew: the
// count keeps to its own seconds of the sweep.
void TForm1::followThreshold()
{
    const std::optional<int32_t> level = engine_.followedThreshold();
    if (!level)
        return;
    const int position = std::clamp(32768 - *level, TrackBar1->minimum(), TrackBar1->maximum());
    if (position == TrackBar1->value())
        return;
    const QSignalBlocker quiet(TrackBar1);
    TrackBar1->setValue(position);
    DrawSignalOverlay();
}

} // namespace tamsel
