#include "app/HelpMenu.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QStandardPaths>
#include <QUrl>

#include "app/TApplication.h"

namespace tamsel {

namespace {
const QString kGuide = QStringLiteral("doc/tamsel/README.md");
} // namespace

HelpMenu::HelpMenu(QObject *owner, QMenuBar *bar) : QObject(owner)
{
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    Guide1 = help->addAction(QStringLiteral("Measuring a watch"));
    Guide1->setObjectName(QStringLiteral("Guide1"));
    Guide1->setShortcut(QKeySequence(Qt::Key_F1));
}

// Beside the program as installed (share/ next to bin/), then where the desktop keeps data.
QString HelpMenu::installedGuide()
{
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/") + kGuide);
    if (QFileInfo(beside).isFile())
        return QDir::cleanPath(beside);
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, kGuide);
}

void HelpMenu::Guide1Click()
{
    const QString path = guide.isEmpty() ? installedGuide() : guide;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ShowException(QStringLiteral("The guide is not installed: no %1 was found.")
                          .arg(path.isEmpty() ? QStringLiteral("share/") + kGuide : path));
        return;
    }
    // A text file has no anchor that viewers go to: the guide opens at its start, and
    // "Measuring a watch" is its section after the first two.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        ShowException(QStringLiteral("No program opened the guide %1.").arg(QDir::toNativeSeparators(path)));
}

} // namespace tamsel
