#pragma once
// Help, the last entry of the menu bar: "Measuring a watch" (F1) opens the guide, the README
// shipped with the program, in a window of Tamsel's own at that section: the package needs no
// viewer of the desktop's, and a build tree finds its README too.
#include <QObject>
#include <QString>

class QAction;
class QMenuBar;
class QTextBrowser;
class QWidget;

namespace tamsel {

class HelpMenu : public QObject {
public:
    // The guide's window belongs to `window` and closes with it.
    HelpMenu(QWidget *window, QMenuBar *bar);

    void Guide1Click();
    // The guide: installed beside the program (share/doc/tamsel/), beside the executable as
    // built, or in the source tree it was built from; empty when none is there.
    static QString installedGuide();

    QAction *Guide1;
    QString guide;                     // the file Guide1 opens: the installed one unless set
    QTextBrowser *GuideView = nullptr; // made at the first F1
};

} // namespace tamsel
