#pragma once
// What the window hears, written to a FLAC or WAV file (by the name's ending) as it comes.
// The start time goes into the file's metadata (its date string, ISO 8601 with the offset
// from UTC), so an analyzer can stamp its results by it; beside it, in its comment, the sound
// card's rate as checked against the computer's clock so far, so an analyzer can correct for
// it. The file is made new, never over another. A WAV header is brought up to date after every
// block, so a full disk or a drive gone leaves a file that plays up to what was written.
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

typedef struct sf_private_tag SNDFILE;

namespace tamsel {

// The card that recorded, checked against the computer's clock.
struct CardCheckNote {
    double ppm = 0;            // its rate error, positive when fast
    double uncertaintyPpm = 0; // one standard uncertainty
    double minutes = 0;        // of audio the check timed
    bool synchronised = false; // network time kept the computer's clock
};

class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter &) = delete;
    AudioWriter &operator=(const AudioWriter &) = delete;

    // 16-bit mono at 44 100 samples/s. An error text, or empty when the file is open.
    QString open(const QString &path, const QDateTime &start, const std::optional<CardCheckNote> &card = {});
    // After a failure the file is closed (what was written stays readable) and the text says so.
    QString write(const int16_t *samples, int64_t count);
    QString close();
    bool isOpen() const { return file_ != nullptr; }
    const QString &path() const { return path_; }
    int64_t samplesWritten() const { return written_; }

    // The start time as the metadata holds it, and back (invalid when it is not such a time).
    static QString startText(const QDateTime &start);
    static QDateTime startFrom(const QString &text);
    // The card's check as the comment holds it ("Tamsel card clock: +37.21 ppm, uncertainty
    // 0.42 ppm, 10.0 min, synchronised"), and back (none from any other comment).
    static QString cardText(const CardCheckNote &card);
    static std::optional<CardCheckNote> cardFrom(const QString &text);

private:
    SNDFILE *file_ = nullptr;
    QString path_;
    int64_t written_ = 0;
};

} // namespace tamsel
