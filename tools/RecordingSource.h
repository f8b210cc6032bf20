#pragma once
// The recording the analyzer plays, opened once (standard input can be read only once), with
// the length and the start its stamps come from.
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "capture/AudioFile.h"

namespace tamsel {

struct RecordingSource {
    std::unique_ptr<AudioFile> file; // null when the recording cannot be read, with error set
    std::string error;
    double seconds = 0; // its length; 0 when unknown
    QDateTime start;    // when it began
};

// The length in seconds of `frames` frames at `rate`, as a reader reports them; 0 when it is
// unknown or past belief (more than a year of audio, as a truncated stream may claim).
double trustedSeconds(int64_t frames, int rate);

// Opens path, "-" being standard input. The start is `given` when set; else, for a file, its
// modification time less its length, or the modification time itself when no length can be
// trusted; else (standard input, a pipe, a device) `runBegan`.
RecordingSource openRecording(const QString &path, const std::optional<QDateTime> &given,
                              const QDateTime &runBegan);

} // namespace tamsel
