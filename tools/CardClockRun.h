#pragma once
// quorlen-analyze --live: the sound card checked against the computer's clock (the capture
// session's check), printed at the end as the CARD line or its JSON object; with --card-clock
// its result set as the clock correction for the rest of the run once it is good enough, or,
// for a recording Tamsel saved, the check that recording carries set before the run.
#include <QString>
#include <functional>
#include <string>

#include "capture/CardClockCheck.h"

namespace tamsel {

class AudioFile;
class CaptureSession;
class RecordingAnalysis;
struct ReportFacts;

// CARD,<ppm>,<uncertainty ppm>,<s/day>,<minutes>,<synchronised|unsynchronised>: the card's rate
// error (positive: fast) to 0.01 ppm, its standard uncertainty to 0.01 ppm, the same rate in
// s/day to 0.001, the minutes of audio timed to 0.1, and whether network time keeps the
// computer's clock. The three numbers are empty while the check knows none.
std::string cardLine(const CardClockCheck &check, bool synchronised);
// The same as one JSON object (type "card"), its unknown numbers null.
std::string cardJson(const CardClockCheck &check, bool synchronised);

// Once the check's uncertainty is below 0.1 s/day (looked at once a second, between buffers),
// sets its result as the clock correction, once, says so and names it in the report's header
// (`report`, when there is one); nothing, saying why, when network time does not keep the
// computer's clock.
void correctByCardClock(CaptureSession &capture, RecordingAnalysis &analysis,
                        const std::function<void(const QString &)> &say, ReportFacts *report);

// The check a recording carries set as the clock correction, when it is good enough (under
// 0.1 s/day, on a clock network time kept), and named in the report's header; returns what to
// say either way.
QString correctByRecordedCard(const AudioFile &recording, RecordingAnalysis &analysis, ReportFacts *report);

} // namespace tamsel
