#include "settings/MixerLaunch.h"

#include <QProcess>
#include <QStandardPaths>

namespace tamsel {

std::vector<MixerCandidate> MixerCandidates(bool recording)
{
    // The device pages are the ones with the hardware levels, which is what the user
    // comes for (the microphone level of the capture): pavucontrol's tab 3 lists the
    // output devices, tab 4 the input devices (1 and 2 are the per-application streams).
    const QString tab = recording ? QStringLiteral("--tab=4") : QStringLiteral("--tab=3");
    const QString view = recording ? QStringLiteral("capture") : QStringLiteral("playback");
    return {
        {QStringLiteral("pavucontrol"), {tab}},
        {QStringLiteral("pavucontrol-qt"), {}},
        {QStringLiteral("pwvucontrol"), {}},
        {QStringLiteral("gnome-control-center"), {QStringLiteral("sound")}},
        {QStringLiteral("qasmixer"), {}},
        // A terminal mixer needs a terminal around it.
        {QStringLiteral("x-terminal-emulator"),
         {QStringLiteral("-e"), QStringLiteral("alsamixer"), QStringLiteral("-V"), view}},
    };
}

namespace {

// The terminal candidate only makes sense when the mixer it would run is there too.
bool InnerProgramPresent(const MixerCandidate &candidate)
{
    const int e = int(candidate.arguments.indexOf(QStringLiteral("-e")));
    if (e < 0 || e + 1 >= candidate.arguments.size())
        return true;
    return !QStandardPaths::findExecutable(candidate.arguments[e + 1]).isEmpty();
}

} // namespace

bool LaunchFirstMixer(const std::vector<MixerCandidate> &candidates)
{
    for (const auto &candidate : candidates) {
        if (candidate.program.isEmpty())
            continue;
        const QString path = QStandardPaths::findExecutable(candidate.program);
        if (path.isEmpty() || !InnerProgramPresent(candidate))
            continue;
        // No shell: the arguments reach the program as they stand.
        if (QProcess::startDetached(path, candidate.arguments))
            return true;
    }
    return false;
}

bool LaunchMixer(bool recording)
{
    return LaunchFirstMixer(MixerCandidates(recording));
}

} // namespace tamsel
