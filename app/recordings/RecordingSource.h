#pragma once
// A recording as the window replays it, in place of the live capture: at the pace of its audio,
// then silence (or from its start again, looping).
#include <QString>
#include <memory>

#include "capture/SoundService.h"

namespace tamsel {

// Null, with the reason in `error`, when the file cannot be read as audio.
std::unique_ptr<SoundService> recordingService(const QString &path, bool loop, QString *error,
                                               bool paced = true);

} // namespace tamsel
