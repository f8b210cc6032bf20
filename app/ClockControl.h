#pragma once
// The clock correction in the window: the fine buttons with Shift step it by tenths of a
// second per day, and the status bar shows the correction in force ("Clock +1.3 s/day") or,
// while the time-signal calibration listens, how long it still needs.
#include <QDate>
#include <QString>

#include "app/TStatusBar.h"
#include "measurement/MeasurementSession.h"

namespace tamsel {

class ClockControl {
public:
    // Where the correction in force came from.
    enum class Origin { None, TimeSignal, ComputerClock, Hand };

    ClockControl(MeasurementSession &session, TStatusBar &status) : session_(session), status_(status) {}

    // A fine button (+1 or -1): whole samples per second, or with Shift 0.1 s/day.
    void step(int32_t direction, bool shift);
    // Option / Calibration / Reset clock correction: the clock back to none.
    void reset();
    // Option / Calibration / From the computer's clock: the card's rate error, as measured
    // against the computer's clock, set as the corrections.
    void setCardRate(double ppm);
    // Refreshes the status bar's clock note (after a pass, a start or an end).
    void show();
    // How the last time-signal calibration ended: true when a time signal was heard.
    void calibrationEnded(bool heard);
    bool timeSignalHeard() const { return heard_; }
    Origin origin() const { return origin_; }
    // The report header's words on the correction in force and its origin; empty when none is.
    QString reportText() const;

    // The origin and its date as the settings keep them ("computer-clock", "2026-12-09"), and read
    // back; an origin not known is none.
    QString storedOrigin() const;
    QString storedDate() const { return date_.toString(Qt::ISODate); }
    void restoreOrigin(const QString &origin, const QString &date);

    // The stored text of a correction, and a stored text read back: not a number, or one
    // outside -500..500, gives 0.
    static QString storedText(double secondsPerDay);
    static double fromStored(const QString &text);

private:
    MeasurementSession &session_;
    TStatusBar &status_;
    void setOrigin(Origin origin);

    bool heard_ = false;
    Origin origin_ = Origin::None;
    QDate date_;
};

} // namespace tamsel
