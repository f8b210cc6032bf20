#include "app/HelpMenu.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>

#include "app/TApplication.h"

namespace tamsel {

namespace {
const QString kGuide = QStringLiteral("doc/tamsel/README.md");
const QString kSection = QStringLiteral("Measuring a watch");
} // namespace

HelpMenu::HelpMenu(QWidget *window, QMenuBar *bar) : QObject(window)
{
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    Guide1 = help->addAction(kSection);
    Guide1->setObjectName(QStringLiteral("Guide1"));
    Guide1->setShortcut(QKeySequence(Qt::Key_F1));
}

QString HelpMenu::installedGuide()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.absoluteFilePath(QStringLiteral("../share/") + kGuide), // installed
        programDir.absoluteFilePath(QStringLiteral("README.md")),          // beside the executable
        QStringLiteral(TAMSEL_SOURCE_DIR "/README.md"),                    // the build tree's sources
    };
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
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
    if (!GuideView) {
        GuideView = new QTextBrowser(qobject_cast<QWidget *>(parent()));
        GuideView->setWindowFlag(Qt::Window);
        GuideView->setObjectName(QStringLiteral("GuideView"));
        GuideView->setWindowTitle(QStringLiteral("Tamsel – ") + kSection);
        GuideView->setOpenExternalLinks(true);
        GuideView->resize(760, 800);
    }
    // Read anew each time, so that the pictures beside it (docs/) are found from its folder.
    GuideView->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    if (GuideView->document()->isEmpty()) {
        ShowException(QStringLiteral("The guide %1 cannot be read.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Markdown headings carry no anchors: the section's heading is found by its text.
    GuideView->show();
    GuideView->raise();
    GuideView->activateWindow();
    for (QTextBlock block = GuideView->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && block.text() == kSection) {
            QTextCursor at(block);
            GuideView->setTextCursor(at);
            const qreal top = GuideView->document()->documentLayout()->blockBoundingRect(block).top();
            GuideView->verticalScrollBar()->setValue(static_cast<int>(top));
            break;
        }
    }
}

} // namespace tamsel
