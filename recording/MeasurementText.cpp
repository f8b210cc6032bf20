#include "recording/MeasurementText.h"

#include "measurement/FormatPicture.h"
#include "recording/ReadingText.h"

namespace tamsel {

QString viewZoomText(int32_t seconds, int32_t zoom, bool japanese)
{
    if (japanese)
        return QStringLiteral("%1秒 %2倍表示").arg(seconds).arg(zoom);
    return QStringLiteral("%1sec x%2").arg(seconds).arg(zoom);
}

QString shortViewText(int32_t seconds, bool japanese)
{
    return japanese ? QStringLiteral("%1秒表示").arg(seconds) : QStringLiteral("%1sec").arg(seconds);
}

QString viewText(int32_t seconds, int32_t zoom, bool lengthAlone, bool japanese)
{
    return lengthAlone ? shortViewText(seconds, japanese) : viewZoomText(seconds, zoom, japanese);
}

StatusTexts statusTexts(const QString &viewText, const Reading &reading)
{
    const auto text = [](const std::string &s) { return QString::fromStdString(s); };
    return {viewText,
            QString::fromLatin1(kBeatErrorLabel),
            text(beatErrorText(reading)),
            QString::fromLatin1(kAmplitudeLabel),
            text(amplitudeText(reading)),
            QString::fromLatin1(kRateLabel),
            text(rateText(reading))};
}

QString measurementText(const QDateTime &time, const StatusTexts &panels, double beatsPerSecond)
{
    const long double perHour = static_cast<long double>(beatsPerSecond) * 60 * 60;
    QString text = kMeasurementPrefix;
    text += time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    text += QStringLiteral(" [") + panels[0] + QStringLiteral("] Beat: ");
    text += QString::fromStdString(FormatPicture("0.0", beatsPerSecond)) + QStringLiteral("bps(");
    text += QString::fromStdString(FormatPicture("0", perHour)) + QStringLiteral("bph) ");
    text += panels[1] + panels[2] + QLatin1Char(' ');
    text += panels[3] + panels[4] + QLatin1Char(' ');
    text += panels[5] + panels[6] + QLatin1Char(' ');
    return text;
}

} // namespace tamsel
