#pragma once
// Options a command-line flag turns on for one run (--input-filter, --auto-threshold). The
// settings keep what the menu chose: the check mark as it was before the flag, until the item
// is chosen from the menu during the run.
#include <map>

class QAction;

namespace tamsel {

class RunFlags {
public:
    // Turns `item` on for this run, as choosing it would.
    void turnOn(QAction *item);
    // The check mark the settings keep for `item`.
    bool stored(const QAction *item) const;

private:
    std::map<const QAction *, bool> before_; // set by a flag and not chosen since
};

} // namespace tamsel
