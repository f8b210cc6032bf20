#include "app/MainMenu.h"

#include <QMenuBar>

namespace tamsel {

QAction *menuItem(QMenu *menu, const char *caption, const char *name, QActionGroup *group, bool checked)
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

namespace {

QActionGroup *radio(QObject *owner)
{
    auto *group = new QActionGroup(owner);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    return group;
}

// A check item with its hint.
QAction *checkItem(QMenu *menu, const char *caption, const char *name, const char *hint)
{
    QAction *action = menuItem(menu, caption, name);
    action->setCheckable(true);
    action->setStatusTip(QString::fromUtf8(hint));
    action->setToolTip(action->statusTip());
    return action;
}

} // namespace

// The sources themselves are added when the menu is refreshed.
void MainMenu::buildInputMenu(QMenu *option, QObject *owner)
{
    Input1 = option->addMenu(QStringLiteral("Input"));
    Input1->setObjectName(QStringLiteral("Input1"));
    InputGroup1 = radio(owner);
    InputDefault1 = menuItem(Input1, "Default", "InputDefault1", InputGroup1, true);
    Input1->addSeparator();
    ShowMonitors1 = menuItem(Input1, "Show monitors", "ShowMonitors1");
    ShowMonitors1->setCheckable(true);
}

void MainMenu::buildMenuTree(QMenuBar *bar, QObject *owner)
{
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    Exit1 = menuItem(file, "E&xit", "Exit1");
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("Show1"));
    QMenu *zoomMenu = view->addMenu(QStringLiteral("Zoom"));
    zoomMenu->setObjectName(QStringLiteral("N14"));
    QActionGroup *zooms = radio(owner);
    N16 = menuItem(zoomMenu, "x1", "N16", zooms);
    N22 = menuItem(zoomMenu, "x2", "N22", zooms);
    N41 = menuItem(zoomMenu, "x4", "N41", zooms);
    N81 = menuItem(zoomMenu, "x8", "N81", zooms);
    view->addSeparator();
    QActionGroup *views = radio(owner);
    N9001 = menuItem(view, "900sec", "N9001", views);
    N6001 = menuItem(view, "600sec", "N6001", views);
    N3001 = menuItem(view, "300sec", "N3001", views);
    view->addSeparator();
    N1201 = menuItem(view, "120sec", "N1201", views);
    N601 = menuItem(view, "60sec", "N601", views, true);
    N401 = menuItem(view, "40sec", "N401", views);
    N301 = menuItem(view, "30sec", "N301", views);
    N201 = menuItem(view, "20sec", "N201", views);
    N101 = menuItem(view, "10sec", "N101", views);
    view->addSeparator();
    N31 = menuItem(view, "3sec", "N31", views);
    N21 = menuItem(view, "2sec", "N21", views);
    N11 = menuItem(view, "1sec", "N11", views);
    view->addSeparator();
    Trend1 = menuItem(view, "Trend…", "Trend1");
    Trend1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    StartStop1 = menuItem(view, "Start/Stop", "StartStop1");
    StartStop1->setShortcut(QKeySequence(Qt::Key_Space));

    QMenu *option = bar->addMenu(QStringLiteral("&Option"));
    option->setObjectName(QStringLiteral("O1"));
    QMenu *centre = option->addMenu(QStringLiteral("Center &Start"));
    centre->setObjectName(QStringLiteral("O2"));
    QActionGroup *centreGroup = radio(owner);
    N3 = menuItem(centre, "&No", "N3", centreGroup);
    N2 = menuItem(centre, "&Yes", "N2", centreGroup, true);
    QMenu *colour = option->addMenu(QStringLiteral("&GraphColor"));
    colour->setObjectName(QStringLiteral("GraphColor1"));
    QActionGroup *colourGroup = radio(owner);
    Mono1 = menuItem(colour, "&1", "Mono1", colourGroup, true);
    N210 = menuItem(colour, "&2", "N210", colourGroup);
    QMenu *threshold = option->addMenu(QStringLiteral("T&hreshold level"));
    threshold->setObjectName(QStringLiteral("N6"));
    QActionGroup *thresholdGroup = radio(owner);
    N8 = menuItem(threshold, "&Save", "N8", thresholdGroup);
    N7 = menuItem(threshold, "&not Save", "N7", thresholdGroup, true);
    QMenu *resolution = option->addMenu(QStringLiteral("&Resolution"));
    resolution->setObjectName(QStringLiteral("N29"));
    QActionGroup *resolutionGroup = radio(owner);
    N30 = menuItem(resolution, "&Low", "N30", resolutionGroup, true);
    N32 = menuItem(resolution, "&Hi", "N32", resolutionGroup);
    QMenu *lift = option->addMenu(QStringLiteral("&Lift angle"));
    lift->setObjectName(QStringLiteral("N9"));
    QActionGroup *liftGroup = radio(owner);
    N521 = menuItem(lift, "&52degrees", "N521", liftGroup, true);
    N10 = menuItem(lift, "&Change", "N10", liftGroup);
    QMenu *recording = option->addMenu(QStringLiteral("R&ecording"));
    recording->setObjectName(QStringLiteral("N18"));
    QMenu *filetype = recording->addMenu(QStringLiteral("&Filetype"));
    filetype->setObjectName(QStringLiteral("N17"));
    QActionGroup *filetypeGroup = radio(owner);
    bitmap1 = menuItem(filetype, "&Bitmap", "bitmap1", filetypeGroup, true);
    jpeg1 = menuItem(filetype, "&Jpeg", "jpeg1", filetypeGroup);
    QMenu *scale = recording->addMenu(QStringLiteral("&Scale"));
    scale->setObjectName(QStringLiteral("N19"));
    QActionGroup *scaleGroup = radio(owner);
    N23 = menuItem(scale, "&Print", "N23", scaleGroup);
    N20 = menuItem(scale, "&not Print", "N20", scaleGroup, true);
    QMenu *wave = recording->addMenu(QStringLiteral("Signal &Graph"));
    wave->setObjectName(QStringLiteral("Wave1"));
    QActionGroup *waveGroup = radio(owner);
    N25 = menuItem(wave, "&Print", "N25", waveGroup);
    N24 = menuItem(wave, "&not Print", "N24", waveGroup, true);
    QMenu *quantity = recording->addMenu(QStringLiteral("&Measurable quantity"));
    quantity->setObjectName(QStringLiteral("N26"));
    QActionGroup *quantityGroup = radio(owner);
    N28 = menuItem(quantity, "&Print", "N28", quantityGroup);
    N27 = menuItem(quantity, "&not Print", "N27", quantityGroup, true);
    QMenu *calibration = option->addMenu(QStringLiteral("&Calibration"));
    calibration->setObjectName(QStringLiteral("C1"));
    N33 = menuItem(calibration, "&Noise level", "N33");
    T1 = menuItem(calibration, "&Time signal", "T1");
    F1 = menuItem(calibration, "&Fine control", "F1");
    F1->setCheckable(true);
    ResetClock1 = menuItem(calibration, "Reset clock correction", "ResetClock1");
    QMenu *pulse = option->addMenu(QStringLiteral("&PulseMode"));
    pulse->setObjectName(QStringLiteral("StarGraph1"));
    QActionGroup *pulseGroup = radio(owner);
    NOn1 = menuItem(pulse, "&Yes", "NOn1", pulseGroup);
    NOff1 = menuItem(pulse, "&No", "NOff1", pulseGroup, true);
    QMenu *volume = option->addMenu(QStringLiteral("&Volume"));
    volume->setObjectName(QStringLiteral("Volume1"));
    Play1 = menuItem(volume, "&Speaker", "Play1");
    Rec1 = menuItem(volume, "&Microphone", "Rec1");
    Positions1 = menuItem(option, "Positions…", "Positions1");
    buildInputMenu(option, owner);
    InputFilter1 = checkItem(option, "Input filter", "InputFilter1",
                             "Filter, envelope and automatic gain, for an ordinary microphone");
    AutoThreshold1 = checkItem(option, "Auto threshold", "AutoThreshold1",
                               "The threshold follows the signal; moving the track bar turns this off");
    fileMenu_ = file;
    optionMenu_ = option;
}

} // namespace tamsel
