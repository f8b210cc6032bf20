#pragma once
// Starts the desktop's volume mixer on its playback or its recording page.
#include <QString>
#include <QStringList>

#include <vector>

namespace tamsel {

struct MixerCandidate {
    QString program; // a name looked up on PATH, or an absolute path
    QStringList arguments;
};

// The mixers to try, best first, for the playback (false) or the recording (true) page.
std::vector<MixerCandidate> MixerCandidates(bool recording);

// Starts the first candidate that is installed and can be started, detached and without
// a shell; the program does not watch it. False, silently, when none could be started.
bool LaunchFirstMixer(const std::vector<MixerCandidate> &candidates);

// LaunchFirstMixer(MixerCandidates(recording)). Every call starts a new process.
bool LaunchMixer(bool recording);

} // namespace tamsel
