#pragma once
// The LED strip at the top of the window, black and 40 pixels high: its readouts, their units,
// the beat rate's hand steps and the fine control's buttons, laid out as designed.
#include <QToolButton>

#include "app/ElidedLabel.h"
#include "app/TPaintBox.h"
#include "measurement/LedReadouts.h"
#include "widgets/LedLabel.h"

namespace tamsel {

class LedStrip : public TPanel {
public:
    explicit LedStrip(QWidget *parent);

    QToolButton *autosw;
    QToolButton *upBtn;
    QToolButton *downBtn;
    TLEDLabel *bpss;
    TLEDLabel *bpsLabel;
    TLEDLabel *katatime;
    TLEDLabel *LEDLabel1;
    TLEDLabel *kaku;
    TLEDLabel *LEDLabel3;
    QToolButton *SpeedButton5;
    QToolButton *SpeedButton6;
    TLEDLabel *spd;
    TLEDLabel *spdLabel;
    // Between the amplitude's and the rate's readouts: what went wrong with the capture (audio
    // lost, the sound server gone), in sight at any window width; hidden while all is well.
    ElidedLabel *CaptureAlarm;
    void showCaptureAlarm(const QString &text);

    // Green for the average rate (the first beat error), yellow for the instant one.
    void colourRate(bool average, bool japanese);
    void colourBeatError(bool first);
    // Writes the given parts (`Reading::Part`) of what the readouts show.
    void showLeds(const LedReadouts &leds, unsigned parts);
};

} // namespace tamsel
