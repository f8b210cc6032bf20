// Measuring through an ordinary microphone: the input filter conditions every sample before
// it is stored, and the automatic threshold moves the track bar with the signal.
#include <QMenu>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdlib>

#include "app/TForm1.h"

namespace tamsel {

void TForm1::buildMicrophoneItems(QMenu *option)
{
    auto check = [option](const char *caption, const char *name, const char *hint) {
        QAction *action = option->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        action->setCheckable(true);
        action->setStatusTip(QString::fromUtf8(hint));
        action->setToolTip(action->statusTip());
        return action;
    };
    InputFilter1 = check("Input filter", "InputFilter1",
                         "Filter, envelope and automatic gain, for an ordinary microphone");
    AutoThreshold1 = check("Auto threshold", "AutoThreshold1",
                           "The threshold follows the signal; moving the track bar turns this off");
}

// A buffer's samples as the history will hold them, for the automatic threshold, and
// conditioned all at once when the input filter is on (empty when it is off: the store
// loop takes |s| itself).
std::vector<uint16_t> TForm1::conditionedMagnitudes(const TWinWaveBuffer &buf)
{
    const bool filter = InputFilter1->isChecked();
    if (!filter && !AutoThreshold1->isChecked())
        return {};
    const size_t n = buf.BytesRecorded() / 2;
    const auto *bytes = reinterpret_cast<const uint8_t *>(buf.Data());
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    std::vector<uint16_t> magnitudes(n);
    if (filter)
        conditioner_.condition(samples.data(), magnitudes.data(), n);
    else
        std::transform(samples.begin(), samples.end(), magnitudes.begin(),
                       [](int16_t s) { return static_cast<uint16_t>(std::abs(int32_t{s})); });
    if (AutoThreshold1->isChecked())
        for (uint16_t magnitude : magnitudes)
            thresholdTracker_.add(magnitude);
    if (!filter)
        magnitudes.clear();
    return magnitudes;
}

// The item's check mark has already changed.
void TForm1::InputFilter1Click()
{
    conditioner_.reset();
    thresholdTracker_.reset();
    // A sweep holding both kinds of sample would measure nonsense: a new measurement.
    StartButtonClick();
}

void TForm1::AutoThreshold1Click()
{
    thresholdTracker_.reset();
}

void TForm1::TrackBar1Moved()
{
    AutoThreshold1->setChecked(false);
}

// Once per buffer. The track bar shows the new level without counting the beats anew: the
// count keeps to its own seconds of the sweep.
void TForm1::followThreshold()
{
    if (!AutoThreshold1->isChecked())
        return;
    const std::optional<int32_t> level = thresholdTracker_.threshold();
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
