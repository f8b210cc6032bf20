#pragma once
// The sound card's clock checked against the computer's, in the window: the status bar's card
// note (its rate with its uncertainty once good enough, until then how long that takes, or that
// the computer's clock has no network time), and Option ▸ Calibration ▸ "From the computer's
// clock", which sets the check's result as the clock correction once its uncertainty is below
// 0.1 s/day. The check itself runs in the capture session.
#include <QObject>
#include <QTimer>
#include <functional>

#include "capture/ComputerClock.h"
#include "recording/AudioWriter.h"

class QAction;

namespace tamsel {

class TForm1;

class CardClock : public QObject {
public:
    explicit CardClock(TForm1 &form);

    QAction *FromComputerClock1;
    void FromComputerClock1Click();

    // Whether network time keeps the computer's clock; tests give their own answer.
    std::function<bool()> computerClockSynchronised = tamsel::computerClockSynchronised;
    // What the status bar's card note says now; empty while nothing live has been timed.
    QString noteText() const;
    // The note brought up to date (once a second meanwhile).
    void show();
    // The check as a recording of the live capture carries it; none while there is no result.
    std::optional<CardCheckNote> recordingNote() const;

private:
    TForm1 &form_;
    QTimer refresh_;
};

} // namespace tamsel
