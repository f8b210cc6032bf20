#pragma once
// Options a command-line flag turns on for one run (--input-filter, --auto-threshold). The
// settings keep what the menu chose: off, as it was before the flag, until the item is chosen
// from the menu during the run.
#include <set>

class QAction;

namespace tamsel {

class RunFlags {
public:
    // Turns `item` on for this run, as choosing it would.
    void turnOn(QAction *item);
    // The check mark the settings keep for `item`.
    bool stored(const QAction *item) const;
    // Whether `item` is on by a flag alone, not chosen from the menu since.
    bool onByFlag(const QAction *item) const;

private:
    std::set<const QAction *> flagged_; // turned on by a flag and not chosen since
};

} // namespace tamsel
