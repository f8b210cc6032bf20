#include "app/RunFlags.h"

#include <QAction>

namespace tamsel {

void RunFlags::turnOn(QAction *item)
{
    if (item->isChecked())
        return;
    item->trigger();
    // Connected after the flag's own trigger: only a later choice from the menu is kept.
    if (flagged_.insert(item).second)
        QObject::connect(item, &QAction::triggered, item, [this, item] { flagged_.erase(item); });
}

bool RunFlags::stored(const QAction *item) const
{
    return item->isChecked() && !onByFlag(item);
}

bool RunFlags::onByFlag(const QAction *item) const
{
    return item->isChecked() && flagged_.contains(item);
}

} // namespace tamsel
