#include "app/RunFlags.h"

#include <QAction>

namespace tamsel {

void RunFlags::turnOn(QAction *item)
{
    if (item->isChecked())
        return;
    item->trigger();
    // Connected after the flag's own trigger: only a later choice from the menu is kept.
    if (before_.emplace(item, false).second)
        QObject::connect(item, &QAction::triggered, item, [this, item] { before_.erase(item); });
}

bool RunFlags::stored(const QAction *item) const
{
    const auto flagged = before_.find(item);
    return flagged != before_.end() ? flagged->second : item->isChecked();
}

} // namespace tamsel
