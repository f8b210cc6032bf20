// A recording in place of the live capture, and back: the device is switched over once its
// buffers are back, as for another source, and a new measurement starts.
#include "app/TForm1.h"
#include "capture/PulseSoundService.h"

namespace tamsel {

void TForm1::playRecording(std::unique_ptr<SoundService> service, const QString &name)
{
    input_.next = std::move(service);
    input_.nextRecording = name;
    switchInput(input_.wanted);
}

void TForm1::playLive()
{
    if (input_.recording.isEmpty() && !input_.next && WinWaveIn1->Opened())
        return; // live already
    if (!input_.recording.isEmpty())
        input_.next = input_.aside ? std::move(input_.aside) : makeLiveSoundService();
    else
        input_.next.reset(); // a recording asked for and not yet in place
    input_.nextRecording.clear();
    switchInput(input_.wanted);
}

} // namespace tamsel
