#pragma once
// The menu tree of File, View and Option: its items, and the options kept in the check marks
// of its radio groups. The window derives from it, so that its items are the window's.
#include <QAction>
#include <QActionGroup>

class QMenu;
class QMenuBar;

namespace tamsel {

// A menu item named `name`; items sharing a group form a radio group.
QAction *menuItem(QMenu *menu, const char *caption, const char *name, QActionGroup *group = nullptr,
                  bool checked = false);

class MainMenu {
public:
    QAction *Exit1;
    QAction *N16, *N22, *N41, *N81;
    QAction *N9001, *N6001, *N3001, *N1201, *N601, *N401, *N301, *N201, *N101, *N31, *N21, *N11;
    QAction *N3, *N2;
    QAction *Mono1, *N210;
    QAction *N8, *N7;
    QAction *N30, *N32;
    QAction *N521, *N10;
    QAction *bitmap1, *jpeg1;
    QAction *N23, *N20;
    QAction *N25, *N24;
    QAction *N28, *N27;
    QAction *N33, *T1, *F1, *ResetClock1;
    QAction *NOn1, *NOff1;
    QAction *Play1, *Rec1;
    QAction *Positions1;
    QAction *Trend1;
    QAction *StartStop1; // the Start and Stop buttons from the keyboard
    QMenu *Input1;       // the sources: "Default", then one radio item each, then "Show monitors"
    QActionGroup *InputGroup1;
    QAction *InputDefault1, *ShowMonitors1;
    QAction *InputFilter1, *AutoThreshold1; // for an ordinary microphone

protected:
    // Adds File, View and Option to `bar`; the radio groups belong to `owner`. Later items
    // join the menus kept here.
    void buildMenuTree(QMenuBar *bar, QObject *owner);
    void buildInputMenu(QMenu *option, QObject *owner);
    QMenu *fileMenu_ = nullptr;
    QMenu *showMenu_ = nullptr; // View
    QMenu *optionMenu_ = nullptr;
};

} // namespace tamsel
