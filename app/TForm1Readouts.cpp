// What the LED strip shows: the readings, their units and modes, and the hand steps of the
// beat rate.
#include "app/TForm1.h"
#include "measurement/Readouts.h"

namespace tamsel {

void TForm1::ShowBeatRate()
{
    bpss->setCaption(QString::fromStdString(beatRateText(state.beatsPerSecond, state.beatUnit)));
}

void TForm1::bpsLabelClick()
{
    state.beatUnit = toggledMode(state.beatUnit);
    if (state.beatUnit != 0) {
        bpsLabel->setCaption(QStringLiteral("bph"));
    } else {
        state.beatsPerSecond = beatRateInSecondUnit(state.beatsPerSecond);
        bpsLabel->setCaption(QStringLiteral("bps"));
    }
    ShowBeatRate();
}

void TForm1::bpssMouseMove()
{
    bpss->setHint(QString::fromStdString(beatRateOtherUnitHint(state.beatsPerSecond, state.beatUnit)));
}

void TForm1::spdClick()
{
    state.rateMode = toggledMode(state.rateMode);
    colourRateReadout();
}

void TForm1::katatimeClick()
{
    state.beatErrorMode = toggledMode(state.beatErrorMode);
    colourBeatErrorReadout();
}

void TForm1::upBtnClick()
{
    if (autosw->isChecked())
        return;
    state.beatsPerSecond = beatRateUp(state.beatsPerSecond, state.beatUnit);
    ShowBeatRate();
    DrawRuler();
}

void TForm1::downBtnClick()
{
    if (autosw->isChecked())
        return;
    state.beatsPerSecond = beatRateDown(state.beatsPerSecond, state.beatUnit);
    ShowBeatRate();
    DrawRuler();
}

void TForm1::clearReadouts(unsigned parts, bool panels)
{
    std::vector<int> cleared;
    if (parts & Reading::kRate) {
        spd->setValue(0);
        cleared.push_back(6);
    }
    if (parts & Reading::kAmplitude) {
        kaku->setValue(0);
        cleared.insert(cleared.end(), {4, 7});
    }
    if (parts & Reading::kBeatError) {
        katatime->setValue(0);
        katatime->setCaption(QStringLiteral("00.0")); // a text readout: its value is not shown
        cleared.push_back(2);
    }
    if (panels)
        for (int panel : cleared)
            StatusBar1->setPanelText(panel, QString());
}

void TForm1::showReading(const Reading &r)
{
    const auto text = [](const std::string &s) { return QString::fromStdString(s); };
    if (r.changed & Reading::kBeatRate) {
        bpss->setCaption(text(r.beatRateText));
        if (r.beatRateValid)
            DrawRuler();
    }
    const unsigned valid = r.validMeasures();
    clearReadouts(r.changed & Reading::kMeasures & ~valid, true);
    const unsigned shown = r.changed & valid;
    if (shown & Reading::kRate) {
        colourRateReadout();
        spd->setValue(r.rateLed);
        StatusBar1->setPanelText(6, text(r.rateText));
    }
    if (shown & Reading::kAmplitude) {
        StatusBar1->setPanelText(7, text(r.liftText));
        StatusBar1->setPanelText(4, text(r.amplitudeText));
        kaku->setValue(static_cast<int32_t>(r.amplitude));
    }
    if (shown & Reading::kBeatError) {
        colourBeatErrorReadout();
        katatime->setCaption(text(r.beatErrorLed));
        StatusBar1->setPanelText(2, text(r.beatErrorText));
    }
    if (r.changed & Reading::kHearing)
        StatusBar1->setWatchNote(text(r.hearingText));
}

} // namespace tamsel
