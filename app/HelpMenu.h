#pragma once
// Help, the last entry of the menu bar: "Measuring a watch" (F1) opens the guide, the README
// installed with the program's documentation, in the desktop's viewer for it.
#include <QObject>
#include <QString>

class QAction;
class QMenuBar;

namespace tamsel {

class HelpMenu : public QObject {
public:
    HelpMenu(QObject *owner, QMenuBar *bar);

    void Guide1Click();
    // The installed guide; empty when it is not there.
    static QString installedGuide();

    QAction *Guide1;
    QString guide; // the file Guide1 opens: the installed one unless set
};

} // namespace tamsel
