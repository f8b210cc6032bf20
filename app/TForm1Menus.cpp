// The menu tree, the options held in its check marks, the show handler, pulse and A-C
// modes and the calibrations.
#include <QGuiApplication>
#include <QMenuBar>
#include <QShowEvent>

#include "app/HelpMenu.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingsMenu.h"
#include "measurement/Readouts.h"
#include "recording/RecordNames.h"
#include "settings/DialogPlacement.h"

namespace tamsel {

namespace {

// A menu item; items sharing a group form a radio group.
QAction *item(QMenu *menu, const char *caption, const char *name, QActionGroup *group = nullptr,
              bool checked = false)
{
    QAction *action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    if (group) {
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
    }
    return action;
}

QActionGroup *radio(QObject *owner)
{
    auto *group = new QActionGroup(owner);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    return group;
}

} // namespace

void TForm1::buildMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    Exit1 = item(file, "E&xit", "Exit1");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("Show1"));
    QMenu *zoomMenu = view->addMenu(QStringLiteral("Zoom"));
    zoomMenu->setObjectName(QStringLiteral("N14"));
    QActionGroup *zooms = radio(this);
    N16 = item(zoomMenu, "x1", "N16", zooms);
    N22 = item(zoomMenu, "x2", "N22", zooms);
    N41 = item(zoomMenu, "x4", "N41", zooms);
    N81 = item(zoomMenu, "x8", "N81", zooms);
    view->addSeparator();
    QActionGroup *views = radio(this);
    N9001 = item(view, "900sec", "N9001", views);
    N6001 = item(view, "600sec", "N6001", views);
    N3001 = item(view, "300sec", "N3001", views);
    view->addSeparator();
    N1201 = item(view, "120sec", "N1201", views);
    N601 = item(view, "60sec", "N601", views, true);
    N401 = item(view, "40sec", "N401", views);
    N301 = item(view, "30sec", "N301", views);
    N201 = item(view, "20sec", "N201", views);
    N101 = item(view, "10sec", "N101", views);
    view->addSeparator();
    N31 = item(view, "3sec", "N31", views);
    N21 = item(view, "2sec", "N21", views);
    N11 = item(view, "1sec", "N11", views);
    view->addSeparator();
    Trend1 = item(view, "Trend…", "Trend1");
    Trend1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    StartStop1 = item(view, "Start/Stop", "StartStop1");
    StartStop1->setShortcut(QKeySequence(Qt::Key_Space));

    QMenu *option = bar->addMenu(QStringLiteral("&Option"));
    option->setObjectName(QStringLiteral("O1"));
    QMenu *centre = option->addMenu(QStringLiteral("Center &Start"));
    centre->setObjectName(QStringLiteral("O2"));
    QActionGroup *centreGroup = radio(this);
    N3 = item(centre, "&No", "N3", centreGroup);
    N2 = item(centre, "&Yes", "N2", centreGroup, true);
    QMenu *colour = option->addMenu(QStringLiteral("&GraphColor"));
    colour->setObjectName(QStringLiteral("GraphColor1"));
    QActionGroup *colourGroup = radio(this);
    Mono1 = item(colour, "&1", "Mono1", colourGroup, true);
    N210 = item(colour, "&2", "N210", colourGroup);
    QMenu *threshold = option->addMenu(QStringLiteral("T&hreshold level"));
    threshold->setObjectName(QStringLiteral("N6"));
    QActionGroup *thresholdGroup = radio(this);
    N8 = item(threshold, "&Save", "N8", thresholdGroup);
    N7 = item(threshold, "&not Save", "N7", thresholdGroup, true);
    QMenu *resolution = option->addMenu(QStringLiteral("&Resolution"));
    resolution->setObjectName(QStringLiteral("N29"));
    QActionGroup *resolutionGroup = radio(this);
    N30 = item(resolution, "&Low", "N30", resolutionGroup, true);
    N32 = item(resolution, "&Hi", "N32", resolutionGroup);
    QMenu *lift = option->addMenu(QStringLiteral("&Lift angle"));
    lift->setObjectName(QStringLiteral("N9"));
    QActionGroup *liftGroup = radio(this);
    N521 = item(lift, "&52degrees", "N521", liftGroup, true);
    N10 = item(lift, "&Change", "N10", liftGroup);
    QMenu *recording = option->addMenu(QStringLiteral("R&ecording"));
    recording->setObjectName(QStringLiteral("N18"));
    QMenu *filetype = recording->addMenu(QStringLiteral("&Filetype"));
    filetype->setObjectName(QStringLiteral("N17"));
    QActionGroup *filetypeGroup = radio(this);
    bitmap1 = item(filetype, "&Bitmap", "bitmap1", filetypeGroup, true);
    jpeg1 = item(filetype, "&Jpeg", "jpeg1", filetypeGroup);
    QMenu *scale = recording->addMenu(QStringLiteral("&Scale"));
    scale->setObjectName(QStringLiteral("N19"));
    QActionGroup *scaleGroup = radio(this);
    N23 = item(scale, "&Print", "N23", scaleGroup);
    N20 = item(scale, "&not Print", "N20", scaleGroup, true);
    QMenu *wave = recording->addMenu(QStringLiteral("Signal &Graph"));
    wave->setObjectName(QStringLiteral("Wave1"));
    QActionGroup *waveGroup = radio(this);
    N25 = item(wave, "&Print", "N25", waveGroup);
    N24 = item(wave, "&not Print", "N24", waveGroup, true);
    QMenu *quantity = recording->addMenu(QStringLiteral("&Measurable quantity"));
    quantity->setObjectName(QStringLiteral("N26"));
    QActionGroup *quantityGroup = radio(this);
    N28 = item(quantity, "&Print", "N28", quantityGroup);
    N27 = item(quantity, "&not Print", "N27", quantityGroup, true);
    QMenu *calibration = option->addMenu(QStringLiteral("&Calibration"));
    calibration->setObjectName(QStringLiteral("C1"));
    N33 = item(calibration, "&Noise level", "N33");
    T1 = item(calibration, "&Time signal", "T1");
    F1 = item(calibration, "&Fine control", "F1");
    F1->setCheckable(true);
    ResetClock1 = item(calibration, "Reset clock correction", "ResetClock1");
    QMenu *pulse = option->addMenu(QStringLiteral("&PulseMode"));
    pulse->setObjectName(QStringLiteral("StarGraph1"));
    QActionGroup *pulseGroup = radio(this);
    NOn1 = item(pulse, "&Yes", "NOn1", pulseGroup);
    NOff1 = item(pulse, "&No", "NOff1", pulseGroup, true);
    QMenu *volume = option->addMenu(QStringLiteral("&Volume"));
    volume->setObjectName(QStringLiteral("Volume1"));
    Play1 = item(volume, "&Speaker", "Play1");
    Rec1 = item(volume, "&Microphone", "Rec1");
    Positions1 = item(option, "Positions…", "Positions1");
    buildInputMenu(option);
    buildMicrophoneItems(option);
    Recordings1 = new RecordingsMenu(*this, file, option);
    About2 = bar->addAction(QStringLiteral("&About"));
    About2->setObjectName(QStringLiteral("About2"));
    Help1 = new HelpMenu(this, bar);
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    CentreOnParent(this); // it has none: the screen
    FormShow();
}

void TForm1::FormShow()
{
    const int v = 32765 - state.noiseLevel;
    if (v < 100)
        TrackBar1->setValue(v);
    const int maximum = 32767 - state.noiseLevel;
    if (maximum >= TrackBar1->minimum())
        TrackBar1->setMaximum(maximum); // lowers a position above it, which runs TrackBar1Change
    if (N8->isChecked())
        TrackBar1->setValue(state.boundaryLevel);
    switch (state.zoom) {
    case 1: N16Click(); break;
    case 2: N22Click(); break;
    case 4: N41Click(); break;
    case 8: N81Click(); break;
    default: break;
    }
    recordFolder = tamsel::recordFolder(japanese());
    Recordings1->showFolder(); // a folder the user chose replaces it
    SpeedButton7->setChecked(NOn1->isChecked());
    SpeedButton8->setEnabled(!NOn1->isChecked());
    StatusBar1->setPanelText(0, ViewZoomText());
    bpsLabel->setCaption(state.beatUnit == 0 ? QStringLiteral("bps") : QStringLiteral("bph"));
    ShowBeatRate();
}

// Options whose choice is read where it takes effect: the handler only checks its item.
void TForm1::N2Click()
{
    N2->setChecked(true);
}
void TForm1::N3Click()
{
    N3->setChecked(true);
}
void TForm1::Mono1Click()
{
    Mono1->setChecked(true);
}
void TForm1::N210Click()
{
    N210->setChecked(true);
}
void TForm1::N8Click()
{
    N8->setChecked(true);
}
void TForm1::N7Click()
{
    N7->setChecked(true);
}
void TForm1::N30Click()
{
    N30->setChecked(true);
}
void TForm1::N32Click()
{
    N32->setChecked(true);
}
void TForm1::bitmap1Click()
{
    bitmap1->setChecked(true);
}
void TForm1::jpeg1Click()
{
    jpeg1->setChecked(true);
}
void TForm1::N23Click()
{
    N23->setChecked(true);
}
void TForm1::N20Click()
{
    N20->setChecked(true);
}
void TForm1::N25Click()
{
    N25->setChecked(true);
}
void TForm1::N24Click()
{
    N24->setChecked(true);
}
void TForm1::N28Click()
{
    N28->setChecked(true);
}
void TForm1::N27Click()
{
    N27->setChecked(true);
}

void TForm1::NOn1Click()
{
    NOn1->setChecked(true);
    SpeedButton7->setChecked(true);
    SpeedButton8->setEnabled(false);
    StatusBar1->setPanelText(4, QString());
    StatusBar1->setPanelText(7, QString());
    state.reading.shown.amplitude.reset();
    kaku->setValue(1000);
    state.reading.amplitudeValid = false;
}

void TForm1::NOff1Click()
{
    NOff1->setChecked(true);
    SpeedButton7->setChecked(false);
    SpeedButton8->setEnabled(true);
}

void TForm1::SpeedButton7Click()
{
    if (SpeedButton7->isChecked())
        NOn1Click();
    else
        NOff1Click();
}

void TForm1::SpeedButton7MouseMove()
{
    SpeedButton7->setToolTip(SpeedButton7->isChecked() ? QStringLiteral("Pulse Mode")
                                                       : QStringLiteral("Analog Mode"));
}

void TForm1::SpeedButton8MouseMove()
{
    SpeedButton8->setToolTip(SpeedButton8->isChecked() ? QStringLiteral("A-C Mode")
                                                       : QStringLiteral("Peak Mode"));
}

void TForm1::N33Click()
{
    calibration_.MeasureNoiseLevel();
    // A full-scale sample makes the noise level 32 769: a maximum below the minimum is ignored,
    // as at start, rather than dragging the minimum down with it.
    if (32767 - state.noiseLevel >= TrackBar1->minimum())
        TrackBar1->setMaximum(32767 - state.noiseLevel);
    DrawSignalOverlay();
}

void TForm1::T1Click()
{
    calibration_.StartTimeSignal();
    N601Click();
    autosw->setChecked(false);
    state.beatsPerSecond = 1.0;
    bpss->setCaption(QString::fromStdString(ledNumber("00.0", 1.0)));
    N16Click();
    setStartDown();
    StartButtonClick();
    state.timeSignalCalibrating = true;
    if (engine_.averagingAsked())
        measuringModeChanged(); // its pulses are timed on |s|, not through the filter
    clock_->show();
}

void TForm1::F1Click()
{
    F1->setChecked(!F1->isChecked());
    SpeedButton5->setVisible(F1->isChecked());
    SpeedButton6->setVisible(F1->isChecked());
}

void TForm1::SpeedButton5Click()
{
    clock_->step(+1, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
}

void TForm1::SpeedButton6Click()
{
    clock_->step(-1, QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
}

void TForm1::Exit1Click()
{
    close();
}

} // namespace tamsel
