#include "app/cardclock/CardClock.h"

#include <QMenu>
#include <cmath>

#include "app/TForm1.h"
#include "support/Messages.h"

namespace tamsel {

namespace {

// Good enough, in ppm (a ppm is 86 400e-6 s/day): the uncertainty the clock correction needs.
constexpr double kEnoughPpm = CardClockCheck::kEnoughSecondsPerDay / 86400e-6;

QString signedNumber(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale + 0.0;
    return QStringLiteral("%1%2")
        .arg(rounded < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(std::fabs(rounded), 0, 'f', decimals);
}

// "Card +37.2 ±0.4 ppm (+3.21 s/day), 10 min"
QString resultText(const CardClockCheck::Result &r)
{
    return QStringLiteral("Card %1 ±%2 ppm (%3 s/day), %4 min")
        .arg(signedNumber(r.ppm, 1))
        .arg(r.uncertaintyPpm, 0, 'f', 1)
        .arg(signedNumber(r.secondsPerDay(), 2))
        .arg(static_cast<int>(r.seconds / 60));
}

QString waitText(double seconds)
{
    return seconds < 90 ? QStringLiteral("%1 s").arg(std::ceil(seconds))
                        : QStringLiteral("%1 min").arg(std::ceil(seconds / 60));
}

// How long until the check is good enough to set the clock by.
QString timeLeft(const CardClockCheck &check)
{
    if (const std::optional<double> left = check.secondsUntil(kEnoughPpm))
        return QStringLiteral("0.1 s/day in %1").arg(waitText(*left));
    // No reading yet: its first needs this many blocks' earliest arrivals.
    const double first = (CardClockCheck::kLeastBlocks + 1) * CardClockCheck::kBlockSeconds;
    return QStringLiteral("first reading in %1").arg(waitText(std::max(1.0, first - check.seconds())));
}

// Short in the status bar, where the room is small; whole in the box.
const QString kUnsynchronisedNote = QStringLiteral("Card unchecked: no network time");

} // namespace

CardClock::CardClock(TForm1 &form) : form_(form)
{
    QMenu *calibration = form.findChild<QMenu *>(QStringLiteral("C1"));
    FromComputerClock1 = menuItem(calibration, "From the computer's clock", "FromComputerClock1");
    connect(FromComputerClock1, &QAction::triggered, this, &CardClock::FromComputerClock1Click);
    refresh_.callOnTimeout(this, &CardClock::show);
    refresh_.start(1000);
}

QString CardClock::noteText() const
{
    const CaptureSession &capture = form_.capture();
    const CardClockCheck &check = capture.cardClock();
    if (capture.playingRecording() || check.seconds() <= 0)
        return {};
    if (!computerClockSynchronised())
        return kUnsynchronisedNote;
    const std::optional<CardClockCheck::Result> r = check.result();
    if (r && r->enough())
        return resultText(*r);
    return QStringLiteral("Card: %1").arg(timeLeft(check));
}

std::optional<CardCheckNote> CardClock::recordingNote() const
{
    const CaptureSession &capture = form_.capture();
    const std::optional<CardClockCheck::Result> r = capture.cardClock().result();
    if (capture.playingRecording() || !r)
        return std::nullopt;
    return CardCheckNote{r->ppm, r->uncertaintyPpm, r->seconds / 60, computerClockSynchronised()};
}

void CardClock::show()
{
    form_.StatusBar1->setCardNote(noteText());
}

void CardClock::FromComputerClock1Click()
{
    const CaptureSession &capture = form_.capture();
    const CardClockCheck &check = capture.cardClock();
    const std::optional<CardClockCheck::Result> r = check.result();
    QString text;
    if (capture.playingRecording())
        text =
            QStringLiteral("The card is checked against the computer's clock only while it captures live.");
    else if (!computerClockSynchronised())
        text =
            QStringLiteral("The computer's clock is not kept by network time, so it cannot check the card's "
                           "clock: no correction set.");
    else if (form_.state.timeSignalCalibrating)
        text = QStringLiteral("The time-signal calibration is listening: it sets the correction.");
    else if (!r)
        text = QStringLiteral("The card's clock is not known yet: %1.").arg(timeLeft(check));
    else if (!r->enough())
        text = QStringLiteral("%1.\nNo correction set: it needs the card known to 0.1 s/day (%2).")
                   .arg(resultText(*r), timeLeft(check));
    else {
        form_.clock().setCardRate(r->ppm);
        text = QStringLiteral("%1.\nSet as the clock correction.").arg(resultText(*r));
    }
    show();
    ShowMessage(text);
}

} // namespace tamsel
