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

// A submenu of two radio items, `checked` (0 or 1) the one checked at first.
void choice(QMenu *parent, QObject *owner, const char *caption, const char *name, QAction *&first,
            const char *firstCaption, const char *firstName, QAction *&second, const char *secondCaption,
            const char *secondName, int checked)
{
    QMenu *menu = parent->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromUtf8(name));
    QActionGroup *group = radio(owner);
    first = menuItem(menu, firstCaption, firstName, group, checked == 0);
    second = menuItem(menu, secondCaption, secondName, group, checked == 1);
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
    choice(option, owner, "Center &Start", "O2", N3, "&No", "N3", N2, "&Yes", "N2", 1);
    choice(option, owner, "&GraphColor", "GraphColor1", Mono1, "&1", "Mono1", N210, "&2", "N210", 0);
    choice(option, owner, "T&hreshold level", "N6", N8, "&Save", "N8", N7, "&not Save", "N7", 1);
    choice(option, owner, "&Resolution", "N29", N30, "&Low", "N30", N32, "&Hi", "N32", 0);
    choice(option, owner, "&Lift angle", "N9", N521, "&52degrees", "N521", N10, "&Change", "N10", 0);
    QMenu *recording = option->addMenu(QStringLiteral("R&ecording"));
    recording->setObjectName(QStringLiteral("N18"));
    choice(recording, owner, "&Filetype", "N17", bitmap1, "&Bitmap", "bitmap1", jpeg1, "&Jpeg", "jpeg1", 0);
    choice(recording, owner, "&Scale", "N19", N23, "&Print", "N23", N20, "&not Print", "N20", 1);
    choice(recording, owner, "Signal &Graph", "Wave1", N25, "&Print", "N25", N24, "&not Print", "N24", 1);
    choice(recording, owner, "&Measurable quantity", "N26", N28, "&Print", "N28", N27, "&not Print", "N27",
           1);
    QMenu *calibration = option->addMenu(QStringLiteral("&Calibration"));
    calibration->setObjectName(QStringLiteral("C1"));
    N33 = menuItem(calibration, "&Noise level", "N33");
    T1 = menuItem(calibration, "&Time signal", "T1");
    F1 = menuItem(calibration, "&Fine control", "F1");
    F1->setCheckable(true);
    ResetClock1 = menuItem(calibration, "Reset clock correction", "ResetClock1");
    choice(option, owner, "&PulseMode", "StarGraph1", NOn1, "&Yes", "NOn1", NOff1, "&No", "NOff1", 1);
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
    showMenu_ = view;
    optionMenu_ = option;
}

} // namespace tamsel
