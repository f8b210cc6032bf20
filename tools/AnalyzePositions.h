#pragma once
// quorlen-analyze --positions: each recording is one position of a positional test, in
// the order given; the summary is printed as CSV.
#include <QByteArray>
#include <QStringList>
#include <functional>

namespace tamsel {

class TForm1;

// `names`: the positions' codes, comma-separated, one per recording (DU, DD, CU, CD, CL, CR).
// `settings`: the settings file's text for every window; `prepare` applies the remaining
// options to a window once it is shown. Returns the exit code.
int analyzePositions(const QStringList &files, const QString &names, const QByteArray &settings,
                     const std::function<void(TForm1 &)> &prepare);

} // namespace tamsel
