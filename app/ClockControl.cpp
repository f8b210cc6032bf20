#include "app/ClockControl.h"

#include <cmath>

namespace tamsel {

void ClockControl::step(int32_t direction, bool shift)
{
    if (shift)
        session_.stepClockCorrection(direction);
    else
        session_.stepFineCorrection(direction);
    show();
}

void ClockControl::reset()
{
    session_.resetCorrections();
    show();
}

void ClockControl::show()
{
    const MeasurementState &state = session_.state();
    QString text;
    if (state.timeSignalCalibrating) {
        text = QStringLiteral("Time signal: %1 s left").arg(session_.timeSignalSecondsLeft());
    } else if (state.fineCorrection != 0 || state.clockCorrection != 0) {
        const double tenths = std::round(Calibration::CorrectionInForce(state) * 10) / 10;
        text = QStringLiteral("Clock %1%2 s/day")
                   .arg(tenths < 0 ? QStringLiteral("-") : QStringLiteral("+"))
                   .arg(std::fabs(tenths), 0, 'f', 1);
    }
    status_.setClockNote(text);
}

void ClockControl::calibrationEnded(bool heard)
{
    heard_ = heard;
    show();
}

QString ClockControl::storedText(double secondsPerDay)
{
    return QString::number(secondsPerDay, 'g', 10);
}

double ClockControl::fromStored(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && kClockCorrectionRange.holds(value) ? value : 0;
}

} // namespace tamsel
