#include "tools/SweepJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdlib>

#include "app/TForm1.h"
#include "measurement/FormatPicture.h"
#include "recording/CsvLine.h"

namespace tamsel {

namespace {

// A status bar number without its unit, or null when the panel is empty.
QJsonValue panelNumber(const TForm1 &form, int panel, std::string_view unit)
{
    const std::string text = withFullStop(removeAll(form.StatusBar1->panelText(panel).toStdString(), unit));
    bool ok = false;
    const double value = QByteArray::fromStdString(text).toDouble(&ok); // always a full stop
    return ok ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
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

std::string sweepJson(const TForm1 &form, const QDateTime &at, const char *kind)
{
    const MeasurementState &state = form.state;
    QJsonObject object;
    object[QStringLiteral("type")] = QString::fromLatin1(kind);
    object[QStringLiteral("time")] = withOffset(at);
    // The beat rate as the CSV line has it (none while no watch is heard): one decimal of beats
    // per second.
    const SweepRecord sweep = form.engine().sweepRecord();
    const double shown = sweep.beatsPerSecond;
    const double bps = QByteArray::fromStdString(FormatPicture("0.0", shown, ".")).toDouble();
    object[QStringLiteral("bph")] = shown > 0 ? QJsonValue(bps * 3600) : QJsonValue();
    // The CSV line's own fields too, under the names its header gives them.
    object[QStringLiteral("bps")] = bps;
    object[QStringLiteral("rate_ratio")] =
        QByteArray::fromStdString(FormatPicture("0.0000000000000000000", sweep.rateRatio, ".")).toDouble();
    object[QStringLiteral("rate_s_per_day")] = panelNumber(form, 6, " sec/day");
    object[QStringLiteral("beat_error_ms")] = panelNumber(form, 2, " msec");
    // The amplitude readout shows 1000 for an amplitude out of its valid range.
    const bool amplitudeValid = form.kaku->value() != 1000;
    const QJsonValue amplitude = amplitudeValid ? panelNumber(form, 4, " deg") : QJsonValue();
    object[QStringLiteral("amplitude_deg")] = amplitude;
    // As the lift-time panel shows it: tenths of a millisecond at the nominal rate.
    const std::string lift =
        FormatPicture("0.0", static_cast<long double>(state.liftSamples) / 44100 * 1000, ".");
    object[QStringLiteral("lift_time_ms")] =
        amplitude.isNull() ? QJsonValue() : QJsonValue(QByteArray::fromStdString(lift).toDouble());
    object[QStringLiteral("samples_lost")] = static_cast<qint64>(form.lostSamples());
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
