#include "tools/RecordingSource.h"

#include <QFile>
#include <QFileInfo>

#include "recording/AudioWriter.h"

namespace tamsel {

namespace {

constexpr double kLongestBelieved = 365.0 * 24 * 3600; // seconds

} // namespace

double trustedSeconds(int64_t frames, int rate)
{
    if (frames <= 0 || rate <= 0)
        return 0;
    const double seconds = static_cast<double>(frames) / rate;
    return seconds <= kLongestBelieved ? seconds : 0;
}

RecordingSource openRecording(const QString &path, const std::optional<QDateTime> &given,
                              const QDateTime &runBegan)
{
    const bool standardInput = path == QLatin1String("-");
    RecordingSource source;
    source.file = std::make_unique<AudioFile>();
    if (!source.file->open(standardInput ? "-" : QFile::encodeName(path).toStdString(), true)) {
        source.error = source.file->error();
        source.file.reset();
        return source;
    }
    const int64_t frames = source.file->fileFrames();
    const int64_t rate = source.file->fileRate();
    source.seconds = trustedSeconds(frames, static_cast<int>(rate));
    const QFileInfo info(path);
    // A recording the window saved says when it began.
    const QDateTime saved = AudioWriter::startFrom(QString::fromStdString(source.file->date()));
    if (given)
        source.start = *given;
    else if (saved.isValid())
        source.start = saved.toLocalTime();
    else if (standardInput || !info.isFile())
        source.start = runBegan;
    else if (source.seconds == 0)
        source.start = info.lastModified();
    else // whole milliseconds, rounded down, without the overflow of frames * 1000
        source.start = info.lastModified().addMSecs(-(frames / rate * 1000 + frames % rate * 1000 / rate));
    return source;
}

} // namespace tamsel
