#include "app/ClockControl.h"

#include <cmath>

#include "display/ReportPage.h"

namespace tamsel {

namespace {

struct OriginName {
    ClockControl::Origin origin;
    const char *stored;
    const char *shown;
};
const OriginName kOrigins[] = {
    {ClockControl::Origin::TimeSignal, "time-signal", "time signal"},
    {ClockControl::Origin::ComputerClock, "computer-clock", "the computer's clock"},
    {ClockControl::Origin::Hand, "hand", "by hand"},
};

} // namespace

void ClockControl::setOrigin(Origin origin)
{
    origin_ = origin;
    date_ = origin == Origin::None ? QDate() : QDate::currentDate();
}

void ClockControl::setCardRate(double ppm)
{
    session_.setTrueRate(kNominalSampleRate * (1 + static_cast<long double>(ppm) * 1e-6L));
    setOrigin(Origin::ComputerClock);
    show();
}

QString ClockControl::reportText() const
{
    const MeasurementState &state = session_.state();
    if (state.fineCorrection == 0 && state.clockCorrection == 0)
        return {};
    QString origin;
    for (const OriginName &o : kOrigins)
        if (o.origin == origin_)
            origin = QLatin1String(o.shown);
    return clockCorrectionText(Calibration::CorrectionInForce(state), origin, date_);
}

QString ClockControl::storedOrigin() const
{
    for (const OriginName &o : kOrigins)
        if (o.origin == origin_)
            return QLatin1String(o.stored);
    return {};
}

void ClockControl::restoreOrigin(const QString &origin, const QString &date)
{
    origin_ = Origin::None;
    date_ = QDate::fromString(date.trimmed(), Qt::ISODate);
    for (const OriginName &o : kOrigins)
        if (origin.trimmed() == QLatin1String(o.stored))
            origin_ = o.origin;
    if (origin_ == Origin::None)
        date_ = {};
}

void ClockControl::step(int32_t direction, bool shift)
{
    if (shift)
        session_.stepClockCorrection(direction);
    else
        session_.stepFineCorrection(direction);
    setOrigin(Origin::Hand);
    show();
}

void ClockControl::reset()
{
    session_.resetCorrections();
    setOrigin(Origin::None);
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
    if (heard)
        setOrigin(Origin::TimeSignal);
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
