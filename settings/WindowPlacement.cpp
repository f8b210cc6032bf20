#include "settings/WindowPlacement.h"

#include <QWidget>

namespace tamsel {

WindowPlacement WindowPlacement::Take(const QWidget &form)
{
    QRect normal = form.normalGeometry();
    if (normal.isNull())
        normal = form.geometry();
    WindowPlacement p;
    p.left = normal.x();
    p.top = normal.y();
    p.right = normal.x() + normal.width();
    p.bottom = normal.y() + normal.height();
    const Qt::WindowStates s = form.windowState();
    p.state = s.testFlag(Qt::WindowMinimized) ? 1 : s.testFlag(Qt::WindowMaximized) ? 2 : 0;
    return p;
}

void WindowPlacement::Apply(QWidget &form, TRestorePlacement allow) const
{
    int32_t applied = state;
    if (applied == 1 && !allow.Contains(TRestoreKind::AllowMinimize))
        applied = 0;
    if (applied == 2 && !allow.Contains(TRestoreKind::AllowMaximize))
        applied = 0;

    // The rectangle is the normal one: leave any other state first so that it lands there.
    form.setWindowState(Qt::WindowNoState);
    const int64_t width = int64_t(right) - left;
    const int64_t height = int64_t(bottom) - top;
    if (width > 0 && height > 0 && width <= QWIDGETSIZE_MAX && height <= QWIDGETSIZE_MAX)
        form.setGeometry(left, top, int(width), int(height));
    else
        form.move(left, top);
    if (applied == 1)
        form.setWindowState(Qt::WindowMinimized);
    else if (applied == 2)
        form.setWindowState(Qt::WindowMaximized);
}

} // namespace tamsel
