#include "app/recordings/RecordingSource.h"

#include <QFile>

#include "capture/AudioFile.h"
#include "capture/FileSoundService.h"

namespace tamsel {

std::unique_ptr<SoundService> recordingService(const QString &path, bool loop, QString *error, bool paced)
{
    auto file = std::make_unique<AudioFile>();
    if (!file->open(QFile::encodeName(path).toStdString())) {
        *error = QString::fromStdString(file->error());
        return nullptr;
    }
    FileSoundOptions options;
    if (loop)
        options.source = std::move(file);
    else
        options.source = std::make_unique<FollowedBySilence>(std::move(file));
    options.loop = loop;
    options.paced = paced;
    return std::make_unique<FileSoundService>(std::move(options));
}

} // namespace tamsel
