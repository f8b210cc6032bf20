#pragma once
// What the window hears, written to a FLAC or WAV file (by the name's ending) as it comes.
// The start time goes into the file's metadata (its date string, ISO 8601 with the offset
// from UTC), so an analyzer can stamp its results by it. The file is made new, never over
// another. A WAV header is brought up to date after every block, so a full disk or a drive
// gone leaves a file that plays up to what was written.
#include <QDateTime>
#include <QString>
#include <cstdint>

typedef struct sf_private_tag SNDFILE;

namespace tamsel {

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter &) = delete;
    AudioWriter &operator=(const AudioWriter &) = delete;

    // 16-bit mono at 44 100 samples/s. An error text, or empty when the file is open.
    QString open(const QString &path, const QDateTime &start);
    // After a failure the file is closed (what was written stays readable) and the text says so.
    QString write(const int16_t *samples, int64_t count);
    QString close();
    bool isOpen() const { return file_ != nullptr; }
    const QString &path() const { return path_; }
    int64_t samplesWritten() const { return written_; }

    // The start time as the metadata holds it, and back (invalid when it is not such a time).
    static QString startText(const QDateTime &start);
    static QDateTime startFrom(const QString &text);

private:
    SNDFILE *file_ = nullptr;
    QString path_;
    int64_t written_ = 0;
};

} // namespace tamsel
