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

// A time signal's pulses are no watch's beats: they are timed by beat detection on |s|,
// whatever the input filter says.
MeasuringMode TForm1::measuringMode() const
{
    return InputFilter1->isChecked() && !state.timeSignalCalibrating ? MeasuringMode::Averaging
                                                                     : MeasuringMode::Threshold;
}

// Samples `from` on of a buffer as the history will hold them: conditioned all at once in the
// averaging mode; otherwise the store loop takes |s| itself (empty), and the automatic
// threshold follows |s| here.
std::vector<uint16_t> TForm1::conditionedMagnitudes(const TWinWaveBuffer &buf, size_t from)
{
    const bool filter = measuringMode() == MeasuringMode::Averaging;
    if (!filter && !AutoThreshold1->isChecked())
        return {};
    const size_t n = buf.BytesRecorded() / 2;
    const auto *bytes = reinterpret_cast<const uint8_t *>(buf.Data());
    std::vector<int16_t> samples(n);
    for (size_t i = from; i < n; ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (!filter) {
        for (size_t i = from; i < n; ++i)
            thresholdTracker_.add(static_cast<uint16_t>(std::abs(int32_t{samples[i]})));
        return {};
    }
    std::vector<uint16_t> magnitudes(n);
    if (from < n)
        conditioner_.condition(samples.data() + from, magnitudes.data() + from, n - from);
    return magnitudes;
}

// A new sound to condition: the levels learnt from the old one would mislead.
void TForm1::restartConditioning()
{
    conditioner_.reset();
    thresholdTracker_.reset();
}

// The item's check mark has already changed.
void TForm1::InputFilter1Click()
{
    measuringModeChanged();
}

// A sweep holding both kinds of sample would measure nonsense: a new measurement, and the
// rest of a buffer being stored is stored as the mode now says.
void TForm1::measuringModeChanged()
{
    restartConditioning();
    storeRestAsSet();
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
    const std::optional<int32_t> level = measuringMode() == MeasuringMode::Averaging
                                             ? ThresholdTracker::threshold(conditioner_)
                                             : thresholdTracker_.threshold();
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
