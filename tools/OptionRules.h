#pragma once
// Which options go together. An option that would do nothing (one that needs another, one that
// does not apply with another, any measuring option given with a CSV log) ends the run before any
// work, with one line naming both and exit status 2: nothing asked for is silently left undone.
// --help says the same in its "With --X" and "not with" words, which the tests read back.
#include <QCommandLineParser>

namespace tamsel {

void refuseOptionsThatDoNotApply(const QCommandLineParser &args);

} // namespace tamsel
