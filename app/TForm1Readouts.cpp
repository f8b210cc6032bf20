// The LED strip at the top of the window: the readouts, their units and modes, and the
// hand steps of the beat rate.
#include "app/TForm1.h"
#include "measurement/Readouts.h"
#include "widgets/Glyphs.h"

namespace tamsel {

namespace {

constexpr int kDesignWidth = 809; // the strip's width in the layout; some controls keep to its right edge

TLEDLabel *ledLabel(QWidget *parent, QRect geometry, const char *hint, int horz, int vert)
{
    auto *label = new TLEDLabel(parent);
    label->setGeometry(geometry);
    label->setHint(QString::fromUtf8(hint));
    label->setHorzsize(horz);
    label->setVertsize(vert);
    label->setBevel({TLEDBevel::bvLowered, 1});
    return label;
}

QToolButton *flatButton(QWidget *parent, QRect geometry, const char *hint, bool up)
{
    auto *button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setToolTip(QString::fromUtf8(hint));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(triangleIcon(up, geometry.width(), geometry.height()));
    button->setIconSize(geometry.size());
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: black; }"));
    return button;
}

} // namespace

void TForm1::buildLedStrip()
{
    autosw = new QToolButton(BackPanel1);
    autosw->setGeometry(5, 6, 32, 32);
    autosw->setToolTip(QStringLiteral("Beat counter Switch"));
    autosw->setCheckable(true);
    autosw->setChecked(true);
    autosw->setIcon(autoSwitchIcon(32));
    autosw->setIconSize(QSize(32, 32));
    autosw->setFocusPolicy(Qt::NoFocus);
    autosw->setStyleSheet(QStringLiteral("QToolButton { border: none; background: black; }"));
    upBtn = flatButton(BackPanel1, {40, 8, 15, 14}, "Beat Up", true);
    downBtn = flatButton(BackPanel1, {40, 23, 15, 14}, "Beat Down", false);

    bpss = ledLabel(BackPanel1, {56, 8, 97, 30}, "Beat", 9, 7);
    bpss->setDigits(3);
    bpss->setCaption(QStringLiteral(" 00.0"));
    bpsLabel = ledLabel(BackPanel1, {152, 14, 57, 24}, "Beat Par Sec", 8, 5);
    bpsLabel->setCaption(QStringLiteral("bps"));
    katatime = ledLabel(BackPanel1, {224, 8, 81, 30}, "Beat Error", 9, 7);
    katatime->setDigits(3);
    katatime->setCaption(QStringLiteral("00.0"));
    LEDLabel1 = ledLabel(BackPanel1, {304, 14, 49, 24}, "msec", 8, 5);
    LEDLabel1->setCaption(QStringLiteral("MS"));
    kaku = ledLabel(BackPanel1, {360, 8, 65, 30}, "Amplitude", 9, 7);
    kaku->setDigits(3);
    kaku->setStyle(lsInteger);
    LEDLabel3 = ledLabel(BackPanel1, {424, 14, 65, 24}, "degrees", 8, 5);
    LEDLabel3->setCaption(QStringLiteral("deg"));
    SpeedButton5 = flatButton(BackPanel1, {637, 8, 15, 14}, "Dot UP", true);
    SpeedButton6 = flatButton(BackPanel1, {637, 23, 15, 14}, "Dot DOWN", false);
    SpeedButton5->hide();
    SpeedButton6->hide();
    spd = ledLabel(BackPanel1, {653, 8, 97, 30}, "Rate", 9, 7);
    spd->setDigits(5);
    spd->setStyle(lsInteger);
    spdLabel = ledLabel(BackPanel1, {749, 14, 57, 24}, "Sec Par Day", 8, 5);
    spdLabel->setCaption(QStringLiteral("spd"));

    // Anchored to the right: they follow the right border when the window is widened.
    BackPanel1->OnResize = [this] {
        const int shift = BackPanel1->width() - kDesignWidth;
        SpeedButton5->move(637 + shift, 8);
        SpeedButton6->move(637 + shift, 23);
        spd->move(653 + shift, 8);
        spdLabel->move(749 + shift, 14);
    };
}

void TForm1::ShowBeatRate()
{
    bpss->setCaption(QString::fromStdString(beatRateText(state.beatsPerSecond, state.beatUnit)));
}

void TForm1::colourRateReadout()
{
    const bool average = state.rateMode == 0;
    spd->setActiveColor(average ? QColor(0, 255, 0) : QColor(255, 255, 0));
    spd->setInActiveColor(average ? QColor(0, 128, 0) : QColor(128, 128, 0));
    if (japanese())
        spd->setHint(average ? QStringLiteral("平均歩度") : QStringLiteral("歩度"));
    else
        spd->setHint(average ? QStringLiteral("Average") : QStringLiteral("Rate"));
}

void TForm1::colourBeatErrorReadout()
{
    const bool first = state.beatErrorMode == 0;
    katatime->setActiveColor(first ? QColor(0, 255, 0) : QColor(255, 255, 0));
    katatime->setInActiveColor(first ? QColor(0, 128, 0) : QColor(128, 128, 0));
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
