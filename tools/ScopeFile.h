#pragma once
// quorlen-analyze --scope: the beat scope of the run's last sweep, as SVG, PNG or PDF by the file
// name's extension, 1000 by 700 (pixels, or points on a PDF's page), written whole or not at all.
#include <QString>

#include "measurement/BeatScope.h"

namespace tamsel {

// Empty when the scope can be written at path (a known extension, and its file can be made there
// and put in place of what is at path), else one line naming path and the reason: checked before
// any work.
QString scopePathError(const QString &path);
// Draws and writes the scope in place of what is at path (a link is replaced, not followed).
// Returns the error, empty on success.
QString writeScope(const QString &path, const BeatScope &scope);

} // namespace tamsel
