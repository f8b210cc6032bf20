#include "tools/SweepJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "recording/ReadingText.h"

namespace tamsel {

namespace {

// A measure as the readouts show it, to its decimals, or null when they show none.
QJsonValue shownMeasure(bool valid, std::string_view picture, long double value)
{
    return valid ? QJsonValue(shownValue(picture, value)) : QJsonValue();
}

// ISO 8601 with the offset written out, also for UTC ("+00:00" rather than "Z").
QString withOffset(const QDateTime &at)
{
    const int offset = at.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char(offset < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

std::string sweepJson(const ShownReadouts &shown, int64_t lostSamples, const QDateTime &at, const char *kind)
{
    const SweepRecord &sweep = shown.sweep;
    const Reading &reading = sweep.reading;
    QJsonObject object;
    object[QStringLiteral("type")] = QString::fromLatin1(kind);
    object[QStringLiteral("time")] = withOffset(at);
    // The beat rate as the CSV line has it (none while no watch is heard).
    const double bps = shownValue(kBeatRatePicture, sweep.beatsPerSecond);
    object[QStringLiteral("bph")] = sweep.beatsPerSecond > 0 ? QJsonValue(bps * 3600) : QJsonValue();
    // The CSV line's own fields too, under the names its header gives them.
    object[QStringLiteral("bps")] = bps;
    object[QStringLiteral("rate_ratio")] = shownValue(kRateRatioPicture, sweep.rateRatio);
    object[QStringLiteral("rate_s_per_day")] =
        shownMeasure(reading.rateValid, kRatePicture, reading.secondsPerDay);
    object[QStringLiteral("beat_error_ms")] =
        shownMeasure(reading.beatErrorValid, kBeatErrorPicture, reading.beatErrorMs);
    object[QStringLiteral("amplitude_deg")] =
        shownMeasure(reading.amplitudeValid, kAmplitudePicture, reading.amplitude);
    // The lift of the amplitude shown in true time: by the card's true rate.
    object[QStringLiteral("lift_time_ms")] =
        shownMeasure(reading.amplitudeValid, kLiftTimePicture,
                     static_cast<long double>(reading.liftSamples) / sweep.samplesPerSecond * 1000);
    object[QStringLiteral("samples_lost")] = static_cast<qint64>(lostSamples);
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '\n';
}

std::string clockJson(double secondsPerDay)
{
    QJsonObject object;
    object[QStringLiteral("type")] = QStringLiteral("clock");
    // To the thousandth, as the CLOCK line.
    object[QStringLiteral("clock_correction_s_per_day")] = std::round(secondsPerDay * 1000) / 1000;
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + '\n';
}

} // namespace tamsel
