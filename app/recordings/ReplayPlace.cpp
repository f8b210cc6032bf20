#include "app/recordings/ReplayPlace.h"

#include <algorithm>

#include "app/TForm1.h"
#include "measurement/ClockText.h"
#include "measurement/ValueRanges.h"

namespace tamsel {

void ReplayPlace::heard(const TWinWaveBuffer &buf)
{
    const SoundService *service = form_.WinWaveIn1->service();
    const std::optional<RecordingPlace> place = service ? service->recording() : std::nullopt;
    const uint64_t opening = place ? place->opening : 0;
    if (service != service_ || opening != opening_) {
        // Another source, or the same recording played from its start again.
        service_ = service;
        opening_ = opening;
        heard_ = 0;
        ended_ = false;
        form_.StatusBar1->setRecordingEnded(false);
        form_.StatusBar1->setReplayNote(QString()); // live sound, or a generated one, has no place
    }
    if (!place || place->length <= 0)
        return;
    const int64_t count = static_cast<int64_t>(buf.BytesRecorded() / 2);
    // This buffer goes past the recording's sound into the silence after it.
    if (!place->loops && !ended_ && heard_ + count > place->length)
        endReached();
    heard_ += count;
    show(*place);
}

// As the user would at the end: Stop keeps the readouts as they stand, and the log is closed
// rather than filled with sweeps of silence.
void ReplayPlace::endReached()
{
    ended_ = true;
    form_.StatusBar1->setRecordingEnded(true);
    if (form_.session().settings().running)
        form_.StopButton->click();
    if (form_.recBtn->isChecked())
        form_.recBtn->click();
}

void ReplayPlace::show(const RecordingPlace &place)
{
    if (ended_) {
        form_.StatusBar1->setReplayNote(QStringLiteral("End of recording"));
        return;
    }
    const int64_t at = place.loops ? heard_ % place.length : std::min(heard_, place.length);
    form_.StatusBar1->setReplayNote(clockText(at) + QStringLiteral(" / ") + clockText(place.length));
}

QString ReplayPlace::clockText(int64_t samples)
{
    return QString::fromStdString(tamsel::clockText(samples / kNominalSampleRate));
}

} // namespace tamsel
