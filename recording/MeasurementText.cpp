#include "recording/MeasurementText.h"

#include "measurement/FormatPicture.h"

namespace tamsel {

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
