#include "recording/AudioWriter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

namespace tamsel {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

AudioWriter::~AudioWriter()
{
    close();
}

QString AudioWriter::startText(const QDateTime &start)
{
    return start.toOffsetFromUtc(start.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QDateTime AudioWriter::startFrom(const QString &text)
{
    // A date alone (as other programs write) says too little to stamp by.
    if (!text.contains(QLatin1Char('T')))
        return {};
    return QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
}

QString AudioWriter::cardText(const CardCheckNote &card)
{
    return QStringLiteral("Tamsel card clock: %1%2 ppm, uncertainty %3 ppm, %4 min, %5")
        .arg(card.ppm < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(std::abs(card.ppm), 0, 'f', 2)
        .arg(card.uncertaintyPpm, 0, 'f', 2)
        .arg(card.minutes, 0, 'f', 1)
        .arg(card.synchronised ? QStringLiteral("synchronised") : QStringLiteral("unsynchronised"));
}

std::optional<CardCheckNote> AudioWriter::cardFrom(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        "^Tamsel card clock: ([-+]\\d+\\.\\d+) ppm, uncertainty (\\d+\\.\\d+) ppm, (\\d+\\.\\d+) min, "
        "(synchronised|unsynchronised)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return CardCheckNote{match.captured(1).toDouble(), match.captured(2).toDouble(),
                         match.captured(3).toDouble(), match.captured(4) == QLatin1String("synchronised")};
}

QString AudioWriter::open(const QString &path, const QDateTime &start,
                          const std::optional<CardCheckNote> &card)
{
    close();
    const bool wav = path.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive);
    // Made new: a second recording started in the same second never replaces the first.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return QStringLiteral("Cannot create %1: %2")
            .arg(shown(path), QString::fromLocal8Bit(std::strerror(errno)));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = wav ? SF_FORMAT_WAV | SF_FORMAT_PCM_16 : SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        const QString reason = QString::fromUtf8(sf_strerror(nullptr));
        ::close(fd);
        QFile::remove(path);
        return QStringLiteral("Cannot create %1: %2").arg(shown(path), reason);
    }
    path_ = path;
    written_ = 0;
    sf_set_string(file_, SF_STR_DATE, startText(start).toUtf8().constData());
    sf_set_string(file_, SF_STR_SOFTWARE, "Tamsel");
    if (card)
        sf_set_string(file_, SF_STR_COMMENT, cardText(*card).toUtf8().constData());
    if (wav)
        sf_command(file_, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    return {};
}

QString AudioWriter::write(const int16_t *samples, int64_t count)
{
    if (!file_)
        return {};
    errno = 0;
    const sf_count_t done = sf_write_short(file_, samples, count);
    if (done == count) {
        written_ += done;
        return {};
    }
    written_ += done;
    const int error = errno;
    const QString reason =
        error ? QString::fromLocal8Bit(std::strerror(error)) : QString::fromUtf8(sf_strerror(file_));
    sf_close(file_);
    file_ = nullptr;
    return QStringLiteral("Saving audio stopped: cannot write to %1 (%2). The %3 s written so far are kept.")
        .arg(shown(path_), reason)
        .arg(static_cast<double>(written_) / 44100, 0, 'f', 1);
}

QString AudioWriter::close()
{
    if (!file_)
        return {};
    const int result = sf_close(file_);
    file_ = nullptr;
    if (result != 0)
        return QStringLiteral("Cannot finish %1: %2")
            .arg(shown(path_), QString::fromUtf8(sf_error_number(result)));
    return {};
}

} // namespace tamsel
