#pragma once
// The line of measured values printed under a snapshot.
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

#include "measurement/Reading.h"

namespace tamsel {

// The texts of status bar panels 0 to 6 as the window last showed them:
// 0 view and zoom, 1/2 beat error label and value, 3/4 amplitude, 5/6 rate.
using StatusTexts = std::array<QString, 7>;

// The labels of panels 1, 3 and 5.
inline constexpr const char *kBeatErrorLabel = "Beat Error:";
inline constexpr const char *kAmplitudeLabel = "Amplitude:";
inline constexpr const char *kRateLabel = "Rate:";

// Panel 0: the view's length and the chart's zoom ("60sec x1"); a 1 to 3 second view just chosen
// shows its length alone ("1sec").
QString viewZoomText(int32_t seconds, int32_t zoom, bool japanese);
QString shortViewText(int32_t seconds, bool japanese);
// Panel 0 as the view and zoom were last chosen: the length alone while a short view is the
// latest choice (`lengthAlone`), else the view and the zoom.
QString viewText(int32_t seconds, int32_t zoom, bool lengthAlone, bool japanese);

// The panels as the status bar shows them once `reading` is shown: the labels and the
// measures' texts (blank where the reading has none).
StatusTexts statusTexts(const QString &viewText, const Reading &reading);

// The prefix is the same in both interface languages.
inline const QString kMeasurementPrefix = QStringLiteral("測定日時 ");

// "測定日時 yyyy/mm/dd hh:nn:ss [panel 0] Beat: 5.5bps(19800bph) " then panels 1 and 2, " ",
// panels 3 and 4, " ", panels 5 and 6 and a final blank.
QString measurementText(const QDateTime &time, const StatusTexts &panels, double beatsPerSecond);

} // namespace tamsel
