#pragma once
// quorlen-analyze --positions: each recording is one position of a positional test, in
// the order given; the summary is printed as CSV.
#include <QStringList>

#include "tools/RecordingAnalysis.h"

namespace tamsel {

// `names`: the positions' codes, comma-separated, one per recording (DU, DD, CU, CD, CL, CR).
// `choices`: how every recording is measured. Returns the exit code.
int analyzePositions(const QStringList &files, const QString &names, const AnalysisChoices &choices);

} // namespace tamsel
