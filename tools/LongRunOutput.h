#pragma once
// quorlen-analyze --report: the sweeps of the run gathered from the very CSV lines printed,
// then the report written and the SUMMARY line printed after FINAL. A CSV log given in place
// of a recording goes the same way, so both give the same summary.
#include <QString>
#include <string>

#include "measurement/CsvLogReader.h"
#include "measurement/LongRun.h"

namespace tamsel {

class LongRunOutput {
public:
    // reportPath may be empty: then only the SUMMARY line.
    explicit LongRunOutput(QString reportPath) : reportPath_(std::move(reportPath)) {}

    // A sweep's CSV line as printed.
    void sweepLine(const std::string &line);
    void add(const SweepPoint &point) { run_.add(point); }
    // The next sweep is not joined to the last (lost audio).
    void gap() { run_.series.markGap(); }
    // Writes the report and prints the SUMMARY line (also when the report failed). Returns
    // false (having said why on standard error) when either could not be written.
    bool finish(const QString &source);

private:
    QString reportPath_;
    LongRun run_;
    CsvPoints points_;
};

// A CSV log in place of a recording: its SUMMARY line, and the report when reportPath is given.
// Returns the exit status: 2 for a log that cannot be read or is not Tamsel's.
int analyzeCsvLog(const QString &path, const QString &reportPath);

} // namespace tamsel
