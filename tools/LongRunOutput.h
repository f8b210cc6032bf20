#pragma once
// quorlen-analyze --report: the sweeps of the run gathered from their records as they end (or
// from the lines of a CSV log given in place of a recording), then the report written and the
// SUMMARY line printed after FINAL. Both give the same summary of the same sweeps.
#include <QDateTime>
#include <QString>
#include <optional>
#include <string>

#include "display/ReportPage.h"
#include "measurement/BeatScope.h"
#include "measurement/CsvLogReader.h"
#include "measurement/LongRun.h"
#include "measurement/SweepRecord.h"

namespace tamsel {

class LongRunOutput {
public:
    // reportPath may be empty: then only the SUMMARY line. The report's start and beat rate
    // are those of the first measured sweep.
    LongRunOutput(QString reportPath, ReportFacts facts)
        : reportPath_(std::move(reportPath)), facts_(std::move(facts))
    {}

    // A sweep's end, at `endedAt`: a point where it measured the watch, else a gap.
    void sweepEnded(const SweepRecord &sweep, const QDateTime &endedAt);
    // A measured sweep, read from a log.
    void add(const SweepPoint &point) { run_.add(point); }
    // The first measured sweep's line of a log (later ones change nothing): when the run began
    // and the beat rate.
    void firstSweep(const CsvSweep &sweep);
    // The next sweep is not joined to the last (lost audio).
    void gap() { run_.series.markGap(); }
    // The length of a sweep as the measurement was set: the length of a run of one sweep.
    void setSweepSeconds(double seconds) { run_.sweepSeconds = seconds; }
    ReportFacts &facts() { return facts_; }
    // The averaged tick and tock the report shows in a row of their own, when it has them.
    void setBeats(const BeatScope &beats) { beats_ = beats; }
    // Writes the report and prints the SUMMARY line (also when the report failed). Returns
    // false (having said why on standard error) when either could not be written.
    bool finish();

private:
    // When the first measured sweep ended and the beat rate it showed.
    void firstMeasured(const QDateTime &endedAt, double beatsPerSecond);

    QString reportPath_;
    ReportFacts facts_;
    LongRun run_;
    std::optional<QDateTime> firstEnd_; // of the first measured sweep
    // Since the first measured sweep's end, counted in the card's samples at its true rate;
    // the last sweep's end and its measurement's restarts.
    std::optional<double> seconds_;
    int64_t lastEnd_ = 0;
    std::optional<int64_t> lastRestarts_;
    std::optional<BeatScope> beats_;
};

// A CSV log in place of a recording: its SUMMARY line, and the report when reportPath is given.
// Returns the exit status: 2 for a log that cannot be read or is not Tamsel's.
int analyzeCsvLog(const QString &path, const QString &reportPath, const ReportFacts &facts);

} // namespace tamsel
