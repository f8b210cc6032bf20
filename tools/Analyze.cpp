// quorlen-analyze: measures a recording as fast as the machine allows, without a window, and
// prints what it measured: the CSV line of every sweep end, then one FINAL line. Live capture
// (--live) is measured the same way, and snapshots (--record) are drawn without a window.
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <optional>

#include "capture/AudioFile.h"
#include "capture/CaptureSession.h"
#include "measurement/CsvLogReader.h"
#include "recording/CsvLine.h"
#include "recording/ReadingText.h"
#include "recording/RecordNames.h"
#include "settings/Unit1.h"
#include "support/Messages.h"
#include "support/RangedOption.h"
#include "support/UnixSignals.h"
#include "tools/AnalyzePositions.h"
#include "tools/CardClockRun.h"
#include "tools/HeadlessApplication.h"
#include "tools/LiveRun.h"
#include "tools/LongRunOutput.h"
#include "tools/OptionRules.h"
#include "tools/OutputCheck.h"
#include "tools/ProgressLine.h"
#include "tools/QuietMessages.h"
#include "tools/RecordingAnalysis.h"
#include "tools/RecordingSource.h"
#include "tools/Report.h"
#include "tools/ResultOutput.h"
#include "tools/ScopeFile.h"
#include "tools/SnapshotRecording.h"
#include "tools/SweepJson.h"

using namespace tamsel;

namespace {

[[noreturn]] void fail(const QString &message)
{
    commandLineError(message);
}

const RangedOption kZoom{"zoom", "Chart zoom, as stored in the settings (default 1).", kZoomRange};
const RangedOption kThresholdPosition{"threshold-position",
                                      "Threshold track bar position P; the threshold level is 32768 - P "
                                      "(default 15000), at most 32767 - noise.",
                                      kThresholdPositionRange};
const RangedOption kNoise{"noise", "Noise level (default 1000).", kNoiseLevelRange};
const RangedOption kHosei{"hosei", "Fine correction in samples per second (default 0).",
                          kFineCorrectionRange};
const RangedOption kRateMode{"rate-mode", "0: averaged rate (default), 1: two-beat rate.", IntRange{0, 1}};
const RangedOption kBeatErrorMode{"beat-error-mode", "0 (default) or 1.", IntRange{0, 1}};
const RangedOption kLiftAngle{"lift-angle", "Lift angle in degrees (default 52).",
                              IntRange{TOKBottomDlg::MinValue, TOKBottomDlg::MaxValue}};
const RangedOption kClockCorrection{"clock-correction",
                                    "The sound card's clock runs fast by this many s/day, beyond --hosei "
                                    "(default 0; --time-signal prints it as CLOCK).",
                                    kClockCorrectionRange.min, kClockCorrectionRange.max};
// The reach of the Beat Up and Beat Down buttons.
const RangedOption kBps{"bps", "Beats per second, set by hand instead of counted.", 0.1, 999.9};
const RangedOption kBeatErrorMax{"beat-error-max",
                                 "With --report: the greatest mean beat error in ms the verdict accepts (default "
                                 "0.6 when --tolerance or --amplitude-min asks for a verdict).",
                                 0, 99.9};
const RangedOption kAmplitudeMin{"amplitude-min",
                                 "With --report: the least mean amplitude in degrees the verdict accepts (default "
                                 "200 when --tolerance or --beat-error-max asks for a verdict).",
                                 0, 360};

void addOptions(QCommandLineParser &args)
{
    args.setApplicationDescription(
        QStringLiteral("Measures a recorded watch as the Tamsel window does, without one.\n"
                       "Exit status: 0 done; 2 a bad option, an unreadable recording, or a report or "
                       "--record folder that cannot be written (all checked before the run); 3 the run was "
                       "finished, but a snapshot, CSV line or the report could not be written, or the run "
                       "stopped because the output could not be written; 4 --live captured nothing; 128 + "
                       "the signal's number when SIGINT, SIGTERM or SIGHUP ended a recording's run (which "
                       "then ends with FINAL, the report and SUMMARY)."));
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument(
        QStringLiteral("FILE"),
        QStringLiteral("The recording (WAV, FLAC, ..., at 16000 samples/s or more; - for standard input, "
                       "not a named pipe), or a "
                       "CSV log Tamsel wrote (FILE.csv) for its SUMMARY line and --report (no other option "
                       "but --quiet, --title, --tolerance, --beat-error-max and --amplitude-min applies to a log)."));
    const std::pair<const char *, const char *> valued[] = {
        {"view", "View length in seconds: 1, 2, 3, 10, 20, 30, 40, 60 (default), 120, 300, 600 or 900."},
        {"record", "Record snapshots and the CSV log into this folder (created when missing)."},
        {"position-names", "With --positions: the recordings' positions, such as DU,DD,CU,CD,CL."},
        {"start",
         "When the recording began, as \"YYYY-MM-DD hh:mm:ss\" (default: the start time a recording saved by "
         "the window holds, else the file's modification time minus its length; for standard input, when the "
         "run began). Stamps are this plus the "
         "audio position of each sweep end (not with --live or --positions)."},
        {"device",
         "With --live: capture from this source (its name or description) instead of the default one."},
        {"duration",
         "With --live: end after this long, as 90s, 30m, 24h or 2d (default: at SIGINT or SIGTERM)."},
        {"report", "Draw the run's trend and summary into this FILE.svg, FILE.png or FILE.pdf, and print "
                   "the SUMMARY line after FINAL (not with --json or --positions). A link of that name is "
                   "replaced, not followed. One page, A4 or Letter as the locale's paper."},
        {"title", "With --report: a line naming the watch, at the head of the report."},
        {"scope", "Draw the beat scope of the last sweep (the averaged tick and tock, their unlocking, drop "
                  "and lift, the amplitude scale and the beats' spectrum; with --input-filter) into this "
                  "FILE.svg, FILE.png or FILE.pdf, 1000 by 700 (not with --positions). A link of that name "
                  "is replaced, not followed."},
        {"tolerance", "With --report: the rate the watch may keep in s/day, slowest and fastest, such as "
                      "-4,+6; the report gives its verdict on the mean rate, and on the beat error and "
                      "amplitude (default: none)."},
    };
    for (const auto &[name, help] : valued)
        args.addOption({QString::fromLatin1(name), QString::fromUtf8(help), QStringLiteral("VALUE")});
    for (const RangedOption *option : {&kZoom, &kThresholdPosition, &kNoise, &kHosei, &kClockCorrection,
                                       &kRateMode, &kBeatErrorMode, &kLiftAngle, &kBps, &kBeatErrorMax,
                                       &kAmplitudeMin})
        args.addOption(option->option());
    const std::pair<const char *, const char *> flags[] = {
        {"hires", "High resolution pulse test."},
        {"input-filter", "Input filter for an ordinary microphone (band filter, envelope, automatic gain)."},
        {"auto-threshold", "The threshold follows the signal."},
        {"pulse-mode", "Pulse mode."},
        {"ac-mode", "A-C mode."},
        {"time-signal", "Run the time-signal calibration; when it hears a time signal, the last line is "
                        "CLOCK,<s/day>, the clock correction it measured (pass it on with the FINAL line's "
                        "fine correction: --hosei H --clock-correction S)."},
        {"jpeg", "With --record: JPEG snapshots (default: bitmaps)."},
        {"print-scale", "With --record: the chart frame under the trace."},
        {"print-signal", "With --record: the signal graph below the chart."},
        {"print-values", "With --record: a line of the measured values at the bottom."},
        {"positions", "Each FILE is one position of a positional test, named in order by --position-names; "
                      "prints its summary as CSV (not with --record, --time-signal, --json, --header, "
                      "--report, --start or --live)."},
        {"live", "Measure the sound server's source instead of a recording, until --duration or SIGINT or "
                 "SIGTERM, printing each sweep's line as it ends, and at the end the sound card's rate "
                 "against the computer's clock: CARD,<ppm>,<uncertainty ppm>,<s/day>,<minutes>,"
                 "<synchronised|unsynchronised>."},
        {"card-clock", "Take the sound card's rate, checked against the computer's clock, as the "
                       "clock correction: with --live once it is known to better than 0.1 s/day, for the "
                       "rest of the run; for a recording the window saved, the check it carries, if that "
                       "good (not with --time-signal or --positions)."},
        {"json", "Print one JSON object per sweep and one for the final state, one a line, instead of "
                 "the CSV lines (not with --positions or --report)."},
        {"header", "Print a header line over the CSV lines (not with --json or --positions)."},
        {"quiet", "Print neither the calibration's message nor the progress on a terminal."},
    };
    for (const auto &[name, help] : flags)
        args.addOption({QString::fromLatin1(name), QString::fromUtf8(help)});
}

// Every option that chooses how the watch is measured, read (and so checked) before any work
// is done.
AnalysisChoices analysisChoices(const QCommandLineParser &args)
{
    AnalysisChoices c;
    StoredNumbers &n = c.stored;
    n.noiseLevel = kNoise.whole(args).value_or(n.noiseLevel);
    n.zoom = kZoom.whole(args).value_or(n.zoom);
    n.fineCorrection = kHosei.whole(args).value_or(n.fineCorrection);
    n.rateMode = kRateMode.whole(args).value_or(n.rateMode);
    n.beatErrorMode = kBeatErrorMode.whole(args).value_or(n.beatErrorMode);
    n.clockCorrection = kClockCorrection.real(args).value_or(n.clockCorrection);
    c.pulseMode = args.isSet("pulse-mode");
    c.acMode = args.isSet("ac-mode");
    c.highResolution = args.isSet("hires");
    c.inputFilter = args.isSet("input-filter");
    c.autoThreshold = args.isSet("auto-threshold");
    c.thresholdPosition = kThresholdPosition.whole(args);
    c.liftAngle = kLiftAngle.whole(args);
    c.beatsPerSecond = kBps.real(args);
    c.viewSeconds = args.isSet("view") ? args.value("view").toInt() : 60;
    if (std::find(std::begin(kViewSeconds), std::end(kViewSeconds), c.viewSeconds) == std::end(kViewSeconds))
        fail(QStringLiteral("--view must be one of 1, 2, 3, 10, 20, 30, 40, 60, 120, 300, 600, 900"));
    c.timeSignal = args.isSet("time-signal");
    return c;
}

// The Recording menu's options.
SnapshotOptions snapshotOptions(const QCommandLineParser &args)
{
    SnapshotOptions options;
    options.jpeg = args.isSet("jpeg");
    options.printScale = args.isSet("print-scale");
    options.printSignalGraph = args.isSet("print-signal");
    options.printMeasurement = args.isSet("print-values");
    return options;
}

// When the recording began, if given.
std::optional<QDateTime> givenStart(const QCommandLineParser &args)
{
    if (!args.isSet("start"))
        return std::nullopt;
    const QDateTime start = QDateTime::fromString(args.value("start"), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // A date and a time each right, but not together: the hour the clocks skip in spring.
    const QStringList parts = args.value("start").split(QLatin1Char(' '));
    if (!start.isValid() && parts.size() == 2 &&
        QDate::fromString(parts[0], QStringLiteral("yyyy-MM-dd")).isValid() &&
        QTime::fromString(parts[1], QStringLiteral("HH:mm:ss")).isValid())
        fail(QStringLiteral("--start \"%1\" is no time of this time zone: the clocks skip it "
                            "(daylight saving time begins)")
                 .arg(args.value("start")));
    if (!start.isValid())
        fail(QStringLiteral("--start needs a time as \"YYYY-MM-DD hh:mm:ss\", not \"%1\"")
                 .arg(args.value("start")));
    // The log's stamps are read back only in these years.
    if (start.date().year() < kFirstLogYear || start.date().year() > kLastLogYear)
        fail(QStringLiteral("--start needs a year from %1 to %2, not %3")
                 .arg(kFirstLogYear)
                 .arg(kLastLogYear)
                 .arg(start.date().year()));
    return start;
}

// The input as the user named it; standard input by that name.
QString inputName(const QString &input)
{
    return input == QLatin1String("-") ? QStringLiteral("standard input") : QDir::toNativeSeparators(input);
}

// The input as the report's header names it.
QString reportInput(bool live, const QString &device, const QString &input)
{
    if (live)
        return device.isEmpty() ? QStringLiteral("microphone") : QStringLiteral("microphone ") + device;
    return input == QLatin1String("-") ? QStringLiteral("standard input")
                                       : QStringLiteral("recording ") + QFileInfo(input).fileName();
}

// What the report says beyond the numbers, as far as the options tell.
ReportFacts reportFacts(const QCommandLineParser &args)
{
    ReportFacts facts;
    facts.title = args.value("title").trimmed();
    if (args.isSet("tolerance")) {
        facts.tolerance = parseRateTolerance(args.value("tolerance"));
        if (!facts.tolerance)
            fail(QStringLiteral(
                     "--tolerance needs the slowest and the fastest rate in s/day, such as -4,+6, not "
                     "\"%1\"")
                     .arg(args.value("tolerance")));
    }
    // A verdict asked for judges every measure, by its default where no limit was given.
    facts.beatErrorMax = kBeatErrorMax.real(args);
    facts.amplitudeMin = kAmplitudeMin.real(args);
    if (facts.tolerance || facts.beatErrorMax || facts.amplitudeMin) {
        facts.beatErrorMax = facts.beatErrorMax.value_or(kDefaultBeatErrorMax);
        facts.amplitudeMin = facts.amplitudeMin.value_or(kDefaultAmplitudeMin);
    }
    return facts;
}

// The least Qt a run needs: Qt's fonts for a report and for snapshots (their text line), Qt
// Core alone for the lines of a recording or of the live capture.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser early;
    addOptions(early);
    early.parse(arguments); // a wrong command line is told by the parse that follows
    if (early.isSet("report") || early.isSet("record") || early.isSet("scope")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<HeadlessApplication<QGuiApplication>>(argc, argv);
    }
    return std::make_unique<HeadlessApplication<QCoreApplication>>(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    const QDateTime runBegan = QDateTime::currentDateTime();
    quietPlatformMessages();
    prepareResultOutput();
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    app->setApplicationName(QStringLiteral("quorlen-analyze"));
    app->setApplicationVersion(QStringLiteral(TAMSEL_VERSION));
    QCommandLineParser args;
    addOptions(args);
    const QString usage =
        QStringLiteral(". Usage: quorlen-analyze [options] FILE (--help lists the options)");
    if (!args.parse(app->arguments()))
        fail(args.errorText().chopped(args.errorText().endsWith(QLatin1Char('.')) ? 1 : 0) + usage);
    if (args.isSet(QStringLiteral("help")) || args.isSet(QStringLiteral("help-all")))
        return writeResults(args.helpText().toLocal8Bit().toStdString()) ? 0 : kWriteFailed;
    refuseOptionsThatDoNotApply(args);
    if (args.isSet(QStringLiteral("version")))
        return writeResults(QStringLiteral("%1 %2\n")
                                .arg(app->applicationName(), app->applicationVersion())
                                .toLocal8Bit()
                                .toStdString())
                   ? 0
                   : kWriteFailed;
    if (args.isSet("device") && args.value("device").trimmed().isEmpty())
        fail(QStringLiteral("--device needs a source's name or description, as pactl list short sources "
                            "gives them"));
    if (args.isSet("positions"))
        return analyzePositions(args.positionalArguments(), args.value("position-names"),
                                analysisChoices(args));
    const bool live = args.isSet("live");
    if (live && !args.positionalArguments().isEmpty())
        fail(QStringLiteral("--live measures the sound server's source, not a recording") + usage);
    if (!live && args.positionalArguments().isEmpty())
        fail(QStringLiteral("no recording given") + usage);
    if (args.positionalArguments().size() > 1)
        fail(QStringLiteral("one recording at a time") + usage);
    const QString reportPath = args.value("report");
    if (const QString error = args.isSet("report") ? reportPathError(reportPath) : QString();
        !error.isEmpty())
        fail(error);
    const QString scopePath = args.value("scope");
    if (const QString error = args.isSet("scope") ? scopePathError(scopePath) : QString(); !error.isEmpty())
        fail(error);
    const ReportFacts facts = reportFacts(args);
    if (!live && args.positionalArguments().first().endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return analyzeCsvLog(args.positionalArguments().first(), reportPath, facts);
    const std::optional<int64_t> duration = args.isSet("duration") ? durationMs(args.value("duration")) : 0;
    if (!duration)
        fail(QStringLiteral("--duration needs a length such as 90s, 30m, 24h or 2d, not \"%1\"")
                 .arg(args.value("duration")));
    const QString input = live ? QStringLiteral("live capture") : args.positionalArguments().first();
    const bool quiet = args.isSet("quiet");
    // Every value is checked before any work is done.
    const AnalysisChoices choices = analysisChoices(args);
    // The stamps are the recording's own time, so that two sweeps differ and every run gives the same.
    RecordingSource recording;
    if (!live) {
        recording = openRecording(input, givenStart(args), runBegan);
        if (!recording.file)
            fail(QString::fromStdString(recording.error));
    }
    const QDateTime start = recording.start;
    // The last check before the first sample: the folder is made here, as the run would make it.
    if (args.isSet("record"))
        if (const QString error = recordFolderError(args.value("record")); !error.isEmpty())
            fail(error);

    QEventLoop loop;
    // A termination signal ends a recording's run as its end does, with the FINAL line, the report
    // and the SUMMARY line; a read waiting on a stalled pipe ends there and then. (--live takes
    // the signals as its own end, below.)
    int stoppedBy = 0;
    if (!live) {
        handleTerminationSignals(&loop, [&loop, &stoppedBy](int signal) {
            if (!std::exchange(stoppedBy, signal))
                loop.quit();
        });
        if (recording.file->isStream())
            endInputOnTermination(recording.file->descriptor());
    }

    std::optional<RecordingAnalysis> analysis;
    std::optional<CaptureSession> capture; // --live: after the analysis it hands its buffers to
    ProgressLine progress(stderr, quiet || live ? 0 : recording.seconds, [&analysis] {
        const int64_t done = analysis ? analysis->samplesRead() : 0;
        return double(done) / AudioFile::kRate;
    });
    const auto sayError = [&progress](const QString &text) {
        progress.erase();
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    const auto sayMessage = [&sayError, quiet](const QString &text) {
        if (!quiet)
            sayError(text);
    };
    // Set before the run: an error raised in an event handler is told there.
    SetExceptionSink(sayError);
    SetMessageSink(sayMessage);
    // The lines and the snapshots come from the engine alone.
    analysis.emplace(choices, args.isSet("record"));
    const MeasurementEngine &engine = analysis->engine();
    // The source is the last thing checked before the first sample: a mistyped one ends the run
    // at once, before any output is made.
    if (live) {
        capture.emplace();
        if (const QString missing = measureCapture(*capture, args.value("device"), *analysis, sayError);
            !missing.isEmpty()) {
            capture.reset(); // its connection to the server ends before the program does
            fail(missing);
        }
    }
    const auto lostSamples = [&capture] { return capture ? capture->lostSamples() : 0; };

    bool outputFailed = false;
    std::optional<LongRunOutput> longRun;
    if (args.isSet("report")) {
        longRun.emplace(reportPath, facts);
        longRun->facts().input = reportInput(live, args.value("device"), input);
    }
    bool watchHeard = false;
    std::optional<BeatScope> lastSweepScope;
    const auto heardAt = [&engine, start, live] {
        return live ? QDateTime::currentDateTime()
                    : start.addMSecs(engine.samplesHeard() * 1000 / AudioFile::kRate);
    };
    std::optional<SnapshotRecording> snapshots;
    if (args.isSet("record")) {
        snapshots.emplace(args.value("record"), snapshotOptions(args), heardAt);
        if (const QString error = snapshots->start(); !error.isEmpty())
            sayError(error);
    }
    const bool json = args.isSet("json");
    if (args.isSet("header") && !json && !writeResults(std::string(kCsvHeader) + '\n'))
        return kWriteFailed;
    const auto sweepEnded = [&](const SweepRecord &sweep) {
        if (snapshots)
            if (const QString error = snapshots->sweepEnded(*analysis->pictures(), engine, sweep);
                !error.isEmpty())
                sayError(error);
        const std::string csv = buildCsvLine(recordStamp(heardAt()).toStdString(), sweep);
        progress.erase();
        // A sweep that measured anything heard the watch: a beat rate set by hand over a short
        // view may give a beat error and an amplitude before any rate.
        watchHeard = watchHeard || sweep.reading.validMeasures() != 0;
        if (longRun)
            longRun->sweepEnded(sweep, heardAt());
        if (args.isSet("scope") || longRun)
            lastSweepScope = BeatScope::of(engine);
        if (!outputFailed &&
            !writeResults(json ? sweepJson(analysis->shown(), lostSamples(), heardAt(), "sweep") : csv + '\n')) {
            outputFailed = true;
            loop.quit();
        }
    };

    analysis->onSweepEnd = sweepEnded;
    analysis->onError = [&sayError](const std::string &text) { sayError(QString::fromStdString(text)); };
    analysis->onTimeSignalEnd = [&sayMessage](bool heard) {
        sayMessage(heard ? QStringLiteral("Time signal calibration end.")
                         : QStringLiteral("No time signal heard"));
    };
    if (!live) {
        if (args.isSet("card-clock"))
            sayMessage(
                correctByRecordedCard(*recording.file, *analysis, longRun ? &longRun->facts() : nullptr));
        analysis->run(*recording.file, [&] {
            QCoreApplication::processEvents(); // a termination signal, the progress line
            return stoppedBy != 0 || outputFailed;
        });
        QCoreApplication::processEvents(); // a signal that cut a stalled read short
    } else {
        endLiveRunOn(*duration > 0 ? duration : std::nullopt, &loop, [&loop] { loop.quit(); });
        if (args.isSet("card-clock"))
            correctByCardClock(*capture, *analysis, sayMessage, longRun ? &longRun->facts() : nullptr);
        reportCaptureHealth(
            *capture,
            [&longRun] {
                if (longRun)
                    longRun->gap();
            },
            [](const QString &note) { std::fprintf(stderr, "%s\n", note.toLocal8Bit().constData()); });
        loop.exec();
    }
    progress.finish();
    const MeasurementState &state = engine.state();
    const ShownReadouts shown = analysis->finalShown();
    bool printed = !outputFailed &&
                   writeResults(json ? sweepJson(shown, lostSamples(), heardAt(), "final") : finalLine(shown, state));
    // The last sweep's scope, or the run's end where no sweep ended.
    const BeatScope beats = lastSweepScope ? *lastSweepScope : BeatScope::of(engine);
    if (longRun) {
        longRun->setBeats(beats);
        longRun->facts().liftAngle = state.liftAngle;
        longRun->facts().heardSeconds = static_cast<double>(engine.samplesHeard()) / AudioFile::kRate;
        longRun->setSweepSeconds(state.viewSeconds);
    }
    // A report that could not be written still leaves the clock correction worth printing.
    bool reported = !printed || !longRun || longRun->finish();
    if (args.isSet("scope"))
        if (const QString error = writeScope(scopePath, beats); !error.isEmpty()) {
            sayError(error);
            reported = false;
        }
    if (printed && live) {
        const bool synchronised = computerClockSynchronised();
        printed = writeResults(json ? cardJson(capture->cardClock(), synchronised)
                                    : cardLine(capture->cardClock(), synchronised));
    }
    const bool timeSignalHeard = analysis->timeSignalHeard();
    // Full stops in every locale, as in the other lines.
    if (printed && args.isSet("time-signal") && timeSignalHeard)
        printed = writeResults(
            json ? clockJson(state.clockCorrection)
                 : "CLOCK," + QString::number(state.clockCorrection, 'f', 3).toStdString() + '\n');
    endInputOnTermination(-1);
    if (stoppedBy)
        return 128 + stoppedBy; // as the shell reports a program the signal ended
    // Exit status 0 all the same: the recording was measured, and a script may go on to the next.
    // Not after a reader that went away: the run was cut short, and ends without a word.
    const QByteArray name = inputName(input).toLocal8Bit();
    if (printed && !live && !args.isSet("time-signal") && !watchHeard &&
        !shown.sweep.reading.validMeasures() && analysis->shown().sweep.reading.validMeasures()) {
        // The watch was read only after the last sweep's end, which FINAL does not count.
        const double after = static_cast<double>(engine.samplesHeard() - shown.sweep.endSample) / AudioFile::kRate;
        std::fprintf(stderr,
                     "No sweep of %s ended with a reading: the last %.0f s, read after the last sweep's end, "
                     "are not in FINAL (a shorter --view gives more sweeps)\n",
                     name.constData(), after);
    } else if (printed && !live && !args.isSet("time-signal") && !watchHeard &&
               !shown.sweep.reading.validMeasures()) {
        std::fprintf(stderr, "No watch heard in %s\n", name.constData());
        // The window's hint, with the option that does the same here.
        if (shown.sweep.reading.hearing == Reading::Hearing::ThresholdMisses)
            std::fprintf(stderr, "%s (--input-filter)\n", hearingText(shown.sweep.reading.hearing).c_str());
    }
    if (live && engine.samplesHeard() == 0) {
        std::fprintf(stderr,
                     "quorlen-analyze: --live captured nothing: no sound came from the sound server\n");
        return kNothingCaptured;
    }
    if (const QString error = snapshots ? snapshots->stop() : QString(); !error.isEmpty())
        sayError(error);
    const int recorderFailures = snapshots ? snapshots->failures() : 0;
    return printed && reported && recorderFailures == 0 ? 0 : kWriteFailed;
}
