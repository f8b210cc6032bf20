#include "settings/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tamsel {

void CentreOnParent(QWidget *dialog)
{
    if (!dialog)
        return;
    QWidget *parent = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    const QRect around = parent ? parent->frameGeometry() : area;
    if (around.isEmpty())
        return;
    const QSize size = dialog->frameGeometry().size().expandedTo(dialog->size());
    QPoint topLeft = around.center() - QPoint(size.width() / 2, size.height() / 2);
    if (!area.isEmpty()) {
        // A main window half off the screen must not take the dialog with it.
        topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - size.width())));
        topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - size.height())));
    }
    dialog->move(topLeft);
}

} // namespace tamsel
