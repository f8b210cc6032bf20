#pragma once
// The trend of the run the window measures: every finished sweep's values, the same the CSV
// log receives, kept from the start (whether or not the Trend window is open), with a gap
// where the measurement restarted or audio was lost.
#include <QDateTime>
#include <optional>

#include "display/ReportPage.h"
#include "measurement/LongRun.h"
#include "measurement/SweepRecord.h"

namespace tamsel {

class TForm1;
class TrendWindow;

class Trend {
public:
    explicit Trend(TForm1 &form) : form_(form) {}

    // At every sweep end, after the recording: the values the CSV line gets.
    void sweepEnded(const SweepRecord &sweep);
    // The source measured, as the window's title names it (empty: the default microphone).
    void inputInUse(const QString &name, bool recording);
    // The next sweep is not joined to the last.
    void gap() { run_.series.markGap(); }
    // View ▸ Trend…: the window, made at its first use beside the main window, shown.
    void show();

    const LongRun &run() const { return run_; }
    // What the report's header says of this run, but for the watch's name.
    ReportFacts facts() const;
    TrendWindow *window() const { return window_; }

private:
    void place();

    TForm1 &form_;
    LongRun run_;
    // True seconds of audio heard from the first point's sweep end to the latest sweep end
    // (at that end's sample), each stretch timed by the card's rate at its end.
    std::optional<double> seconds_;
    int64_t lastEnd_ = 0;
    QString input_ = QStringLiteral("microphone");
    QDateTime start_;               // when the first point's sweep began
    TrendWindow *window_ = nullptr; // a child window of the form
};

} // namespace tamsel
