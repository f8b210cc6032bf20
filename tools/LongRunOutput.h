#pragma once
// quorlen-analyze --report: the sweeps of the run gathered from the very CSV lines printed,
// then the report written and the SUMMARY line printed after FINAL. A CSV log given in place
// of a recording goes the same way, so both give the same summary.
#include <QString>
#include <optional>
#include <string>

#include "display/ReportPage.h"
#include "measurement/CsvLogReader.h"
#include "measurement/LongRun.h"

namespace tamsel {

class LongRunOutput {
public:
    // reportPath may be empty: then only the SUMMARY line. The report's start and beat rate
    // are those of the first measured sweep.
    LongRunOutput(QString reportPath, ReportFacts facts)
        : reportPath_(std::move(reportPath)), facts_(std::move(facts))
    {}

    // A sweep's CSV line as printed.
    void sweepLine(const std::string &line);
    // A measured sweep, read from a log.
    void add(const SweepPoint &point) { run_.add(point); }
    // The first measured sweep's line (later ones change nothing): when the run began and the
    // beat rate.
    void firstSweep(const CsvSweep &sweep);
    // The next sweep is not joined to the last (lost audio).
    void gap() { run_.series.markGap(); }
    // The length of a sweep as the measurement was set: the length of a run of one sweep.
    void setSweepSeconds(double seconds) { run_.sweepSeconds = seconds; }
    ReportFacts &facts() { return facts_; }
    // Writes the report and prints the SUMMARY line (also when the report failed). Returns
    // false (having said why on standard error) when either could not be written.
    bool finish();

private:
    QString reportPath_;
    ReportFacts facts_;
    LongRun run_;
    CsvPoints points_;
    std::optional<int64_t> firstStamp_; // of the first measured sweep
};

// A CSV log in place of a recording: its SUMMARY line, and the report when reportPath is given.
// Returns the exit status: 2 for a log that cannot be read or is not Tamsel's.
int analyzeCsvLog(const QString &path, const QString &reportPath, const ReportFacts &facts);

} // namespace tamsel
