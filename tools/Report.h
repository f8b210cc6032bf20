#pragma once
// The report of a long run: its header, the summary table and the trend's plots, as SVG, PNG
// or PDF by the file name's extension, on one page of the locale's paper (A4, or Letter where
// the locale uses it), written whole or not at all.
#include <QString>

#include "display/ReportPage.h"
#include "measurement/LongRun.h"

namespace tamsel {

// Empty when a report can be written at path (a known extension, and its file can be made there
// and put in place of what is at path), else one line naming path and the system's reason:
// checked before any work.
QString reportPathError(const QString &path);
// Draws and writes the report in place of what is at path (a link is replaced, not followed),
// with a row of the averaged tick and tock when `beats` has them. Returns the error, empty on success.
QString writeReport(const QString &path, const LongRun &run, const ReportFacts &facts,
                    const BeatScope *beats = nullptr);

} // namespace tamsel
