#include "tools/SweepJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>

#include "measurement/FormatPicture.h"

namespace tamsel {

namespace {

// A measure as the status bar shows it, to its decimals, or null when it shows none.
QJsonValue shownNumber(bool valid, const char *picture, double value)
{
    if (!valid)
        return QJsonValue(QJsonValue::Null);
    return QByteArray::fromStdString(FormatPicture(picture, value, ".")).toDouble();
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
    const Reading &reading = shown.reading;
    QJsonObject object;
    object[QStringLiteral("type")] = QString::fromLatin1(kind);
    object[QStringLiteral("time")] = withOffset(at);
    // The beat rate as the CSV line has it (none while no watch is heard): one decimal of beats
    // per second.
    const SweepRecord &sweep = shown.sweep;
    const double bps = QByteArray::fromStdString(FormatPicture("0.0", sweep.beatsPerSecond, ".")).toDouble();
    object[QStringLiteral("bph")] = sweep.beatsPerSecond > 0 ? QJsonValue(bps * 3600) : QJsonValue();
    // The CSV line's own fields too, under the names its header gives them.
    object[QStringLiteral("bps")] = bps;
    object[QStringLiteral("rate_ratio")] =
        QByteArray::fromStdString(FormatPicture("0.0000000000000000000", sweep.rateRatio, ".")).toDouble();
    object[QStringLiteral("rate_s_per_day")] = shownNumber(reading.rateValid, "0.000", reading.secondsPerDay);
    object[QStringLiteral("beat_error_ms")] =
        shownNumber(reading.beatErrorValid, "0.000", reading.beatErrorMs);
    const QJsonValue amplitude =
        reading.amplitudeValid ? QJsonValue(double(reading.amplitude)) : QJsonValue();
    object[QStringLiteral("amplitude_deg")] = amplitude;
    // As the lift-time panel shows it: tenths of a millisecond at the nominal rate.
    const std::string lift =
        FormatPicture("0.0", static_cast<long double>(shown.liftSamples) / 44100 * 1000, ".");
    object[QStringLiteral("lift_time_ms")] =
        amplitude.isNull() ? QJsonValue() : QJsonValue(QByteArray::fromStdString(lift).toDouble());
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
