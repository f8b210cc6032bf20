#include "app/LedStrip.h"

#include "widgets/Glyphs.h"

namespace tamsel {

namespace {

constexpr int kDesignWidth = 809; // the strip's width in the layout; some controls keep to its right edge
// The room between the amplitude's unit and the rate's fine-control buttons.
constexpr int kAlarmLeft = 493, kAlarmRight = 633;

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

LedStrip::LedStrip(QWidget *parent) : TPanel(parent)
{
    setFixedHeight(40);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    autosw = new QToolButton(this);
    autosw->setGeometry(5, 6, 32, 32);
    autosw->setToolTip(QStringLiteral("Beat counter Switch"));
    autosw->setCheckable(true);
    autosw->setChecked(true);
    autosw->setIcon(autoSwitchIcon(32));
    autosw->setIconSize(QSize(32, 32));
    autosw->setFocusPolicy(Qt::NoFocus);
    autosw->setStyleSheet(QStringLiteral("QToolButton { border: none; background: black; }"));
    upBtn = flatButton(this, {40, 8, 15, 14}, "Beat Up", true);
    downBtn = flatButton(this, {40, 23, 15, 14}, "Beat Down", false);

    bpss = ledLabel(this, {56, 8, 97, 30}, "Beat", 9, 7);
    bpss->setDigits(3);
    bpss->setCaption(QStringLiteral(" 00.0"));
    bpsLabel = ledLabel(this, {152, 14, 57, 24}, "Beat Par Sec", 8, 5);
    bpsLabel->setCaption(QStringLiteral("bps"));
    katatime = ledLabel(this, {224, 8, 81, 30}, "Beat Error", 9, 7);
    katatime->setDigits(3);
    katatime->setCaption(QStringLiteral("00.0"));
    LEDLabel1 = ledLabel(this, {304, 14, 49, 24}, "msec", 8, 5);
    LEDLabel1->setCaption(QStringLiteral("MS"));
    kaku = ledLabel(this, {360, 8, 65, 30}, "Amplitude", 9, 7);
    kaku->setDigits(3);
    kaku->setStyle(lsInteger);
    LEDLabel3 = ledLabel(this, {424, 14, 65, 24}, "degrees", 8, 5);
    LEDLabel3->setCaption(QStringLiteral("deg"));
    SpeedButton5 = flatButton(this, {637, 8, 15, 14}, "Dot UP", true);
    SpeedButton6 = flatButton(this, {637, 23, 15, 14}, "Dot DOWN", false);
    SpeedButton5->hide();
    SpeedButton6->hide();
    spd = ledLabel(this, {653, 8, 97, 30}, "Rate", 9, 7);
    spd->setDigits(5);
    spd->setStyle(lsInteger);
    spdLabel = ledLabel(this, {749, 14, 57, 24}, "Sec Par Day", 8, 5);
    spdLabel->setCaption(QStringLiteral("spd"));
    CaptureAlarm = new ElidedLabel(this);
    CaptureAlarm->setObjectName(QStringLiteral("CaptureAlarm"));
    CaptureAlarm->setStyleSheet(QStringLiteral("color: #FF4040; background: black; font-weight: bold;"));
    CaptureAlarm->setGeometry(kAlarmLeft, 8, kAlarmRight - kAlarmLeft, 30);
    CaptureAlarm->hide();

    // Anchored to the right: they follow the right border when the window is widened.
    OnResize = [this] {
        const int shift = width() - kDesignWidth;
        SpeedButton5->move(637 + shift, 8);
        SpeedButton6->move(637 + shift, 23);
        spd->move(653 + shift, 8);
        spdLabel->move(749 + shift, 14);
        CaptureAlarm->resize(kAlarmRight + shift - kAlarmLeft, CaptureAlarm->height());
    };
}

void LedStrip::showCaptureAlarm(const QString &text)
{
    CaptureAlarm->setFullText(text);
    CaptureAlarm->setVisible(!text.isEmpty());
}

void LedStrip::colourRate(bool average, bool japanese)
{
    spd->setActiveColor(average ? QColor(0, 255, 0) : QColor(255, 255, 0));
    spd->setInActiveColor(average ? QColor(0, 128, 0) : QColor(128, 128, 0));
    if (japanese)
        spd->setHint(average ? QStringLiteral("平均歩度") : QStringLiteral("歩度"));
    else
        spd->setHint(average ? QStringLiteral("Average") : QStringLiteral("Rate"));
}

void LedStrip::colourBeatError(bool first)
{
    katatime->setActiveColor(first ? QColor(0, 255, 0) : QColor(255, 255, 0));
    katatime->setInActiveColor(first ? QColor(0, 128, 0) : QColor(128, 128, 0));
}

void LedStrip::showLeds(const LedReadouts &leds, unsigned parts)
{
    if (parts & Reading::kBeatRate)
        bpss->setCaption(QString::fromStdString(leds.beatRate));
    if (parts & Reading::kRate)
        spd->setValue(leds.rate);
    if (parts & Reading::kAmplitude)
        kaku->setValue(leds.amplitude);
    if (parts & Reading::kBeatError)
        katatime->setCaption(QString::fromStdString(leds.beatError));
}

} // namespace tamsel
