#pragma once
// The report of a long run: the summary table and the trend's plots, as SVG, PNG or PDF
// by the file name's extension, written whole or not at all.
#include <QString>

#include "measurement/LongRun.h"

namespace tamsel {

// Empty when a report can be written at path (a known extension, and its file can be made there
// and put in place of what is at path), else one line naming path and the system's reason:
// checked before any work.
QString reportPathError(const QString &path);
// Draws and writes the report in place of what is at path (a link is replaced, not followed);
// source names what was measured. Returns the error, empty on success.
QString writeReport(const QString &path, const LongRun &run, const QString &source);

} // namespace tamsel
