// What the LED strip shows: the readings, their units and modes, and the hand steps of the
// beat rate.
#include "app/TForm1.h"
#include "measurement/Readouts.h"
#include "recording/ReadingText.h"

namespace tamsel {

void TForm1::ShowBeatRate()
{
    leds_.showBeatRate(state.beatsPerSecond, state.beatUnit);
    BackPanel1->showLeds(leds_, Reading::kBeatRate);
}

void TForm1::bpsLabelClick()
{
    session_.setBeatUnit(toggledMode(state.beatUnit));
    if (state.beatUnit != 0) {
        BackPanel1->bpsLabel->setCaption(QStringLiteral("bph"));
    } else {
        session_.setBeatsPerSecond(beatRateInSecondUnit(state.beatsPerSecond));
        BackPanel1->bpsLabel->setCaption(QStringLiteral("bps"));
    }
    ShowBeatRate();
}

void TForm1::bpssMouseMove()
{
    BackPanel1->bpss->setHint(QString::fromStdString(beatRateOtherUnitHint(state.beatsPerSecond, state.beatUnit)));
}

void TForm1::spdClick()
{
    session_.setRateMode(toggledMode(state.rateMode));
    colourRateReadout();
}

void TForm1::katatimeClick()
{
    session_.setBeatErrorMode(toggledMode(state.beatErrorMode));
    colourBeatErrorReadout();
}

void TForm1::upBtnClick()
{
    if (BackPanel1->autosw->isChecked())
        return;
    session_.setBeatsPerSecond(beatRateUp(state.beatsPerSecond, state.beatUnit));
    ShowBeatRate();
    DrawRuler();
}

void TForm1::downBtnClick()
{
    if (BackPanel1->autosw->isChecked())
        return;
    session_.setBeatsPerSecond(beatRateDown(state.beatsPerSecond, state.beatUnit));
    ShowBeatRate();
    DrawRuler();
}

void TForm1::clearReadouts(unsigned parts)
{
    leds_.clear(parts);
    BackPanel1->showLeds(leds_, parts);
}

void TForm1::showReading(const Reading &r)
{
    const auto text = [](const std::string &s) { return QString::fromStdString(s); };
    leds_.show(r);
    BackPanel1->showLeds(leds_, r.changed);
    if ((r.changed & Reading::kBeatRate) && r.beatRateValid)
        DrawRuler();
    const unsigned shown = r.changed & r.validMeasures();
    if (shown & Reading::kRate)
        colourRateReadout();
    if (shown & Reading::kBeatError)
        colourBeatErrorReadout();
    // A part that is not valid was cleared in the reading: its panels are cleared with it.
    if (r.changed & Reading::kRate)
        StatusBar1->setPanelText(6, text(rateText(r)));
    if (r.changed & Reading::kAmplitude) {
        StatusBar1->setPanelText(7, text(liftText(r)));
        StatusBar1->setPanelText(4, text(amplitudeText(r)));
    }
    if (r.changed & Reading::kBeatError)
        StatusBar1->setPanelText(2, text(beatErrorText(r)));
    if (r.changed & Reading::kHearing)
        StatusBar1->setWatchNote(text(hearingText(r.hearing)));
}

} // namespace tamsel
