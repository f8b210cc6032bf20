// Both programs fail before the work, not after it, and say why: every output of the analyzer
// checked before the first sample (a day of --live never ends without its report), options that
// would do nothing refused, a report put in place of a link and never written through it, no
// wait for ever on a named pipe, a termination signal ending a run with what it measured, and
// messages that name the recording, the reason and the sound server. Every file is made here.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <set>
#include <system_error>

#include "AnalyzerProcess.h"
#include "capture/SyntheticWatch.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

QString reason(std::errc code)
{
    return QString::fromStdString(std::make_error_code(code).message());
}

// Little-endian fields, as a WAV header holds them.
QByteArray le(uint32_t value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i) & 0xff);
    return out;
}

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

// `seconds` of an 18 000 bph watch at `rate` samples/s, in libsndfile's `format`.
QString writeWatch(const QTemporaryDir &dir, const QString &name, double seconds, int rate = 44100,
                   int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    watch.generate(0, samples.data(), samples.size());
    if (rate != 44100) // every rate-th sample of a watch is noise enough for a refusal
        samples.resize(static_cast<size_t>(seconds * rate));
    const QString path = dir.filePath(name);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

// Two minutes of Tamsel's CSV log.
QString writeLog(const QTemporaryDir &dir)
{
    const QByteArray tail = ",5.0,275,0.200,-3.125,-0.0000361689814814815\r\n";
    return writeBytes(dir, "run.csv", "\"20261207100000\"" + tail + "\"20261207100100\"" + tail);
}

QStringList errorLines(const AnalyzerRun &run)
{
    return run.errors.split('\n', Qt::SkipEmptyParts);
}

// One line on standard error, naming `what` and `why`; nothing on standard output.
void expectRefusedInOneLine(const AnalyzerRun &run, const QString &what, const QString &why,
                            const std::string &context)
{
    EXPECT_EQ(run.exitCode, 2) << context << ' ' << run.errors.toStdString();
    EXPECT_TRUE(run.lines.isEmpty()) << context;
    ASSERT_EQ(errorLines(run).size(), 1) << context << ' ' << run.errors.toStdString();
    EXPECT_TRUE(run.errors.startsWith("quorlen-analyze: ")) << context;
    EXPECT_TRUE(run.errors.contains(what)) << context << ' ' << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(why)) << context << ' ' << run.errors.toStdString();
}

QProcessEnvironment withoutSoundServer(const QTemporaryDir &dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("PULSE_SERVER", "unix:" + dir.filePath("no-server"));
    return env;
}

// Reads the process's standard error until it holds `text` or `ms` have passed.
QString errorsUntil(QProcess &process, const QString &text, int ms)
{
    QString errors;
    QElapsedTimer clock;
    clock.start();
    while (!errors.contains(text) && clock.elapsed() < ms) {
        process.waitForReadyRead(100);
        errors += QString::fromUtf8(process.readAllStandardError());
    }
    return errors;
}

// SIGTERM, and whether the process then ended (rather than waiting on for ever).
bool endsAtSigterm(QProcess &process)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    return process.waitForFinished(30000);
}

} // namespace

// A name too long for the file system, a folder where a file would go, a loop of links, a file
// the user may not replace: each ends the run before its first sample, even a day of --live.
TEST(FailEarly, EveryOutputIsCheckedBeforeTheFirstSampleAndTheFinalWriteKeepsStatus3)
{
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, "watch.wav", 30);
    const QString plain = writeBytes(dir, "plain", "not a folder");
    const QString tooLong = dir.filePath(QString(300, QLatin1Char('x')));
    ASSERT_EQ(::symlink("loop2", QFile::encodeName(dir.filePath("loop1")).constData()), 0);
    ASSERT_EQ(::symlink("loop1", QFile::encodeName(dir.filePath("loop2")).constData()), 0);
    const QString loop = dir.filePath("loop1");
    struct Case {
        QStringList options;
        QString path, why;
    };
    const Case cases[] = {
        {{"--report"}, tooLong + ".svg", reason(std::errc::filename_too_long)},
        {{"--report"}, plain + "/report.svg", reason(std::errc::not_a_directory)},
        {{"--record"}, plain, reason(std::errc::not_a_directory)},
        {{"--record"}, plain + "/records", reason(std::errc::not_a_directory)},
        {{"--record"}, loop, reason(std::errc::too_many_symbolic_link_levels)},
        {{"--record"}, tooLong, reason(std::errc::filename_too_long)},
        {{"--live", "--duration", "24h", "--report"}, tooLong + ".pdf", reason(std::errc::filename_too_long)},
        {{"--live", "--duration", "24h", "--record"}, loop, reason(std::errc::too_many_symbolic_link_levels)},
    };
    for (const Case &c : cases) {
        QStringList arguments = c.options + QStringList{c.path};
        if (!arguments.contains("--live"))
            arguments << wav;
        const AnalyzerRun run = analyze(arguments, withoutSoundServer(dir));
        expectRefusedInOneLine(run, c.options.last() + ' ' + c.path + " cannot be written: ", c.why,
                               arguments.join(' ').toStdString());
    }

    // A full disk (here a file-size limit of 0) still takes an empty file, but not a byte of
    // it: found before the first sample, and nothing left behind.
    for (const QString &option : {QStringLiteral("--report"), QStringLiteral("--record")}) {
        const QString path = dir.filePath(option == "--report" ? "day.pdf" : "logs");
        const AnalyzerRun full = run(
            "bash",
            {"-c", "ulimit -f 0; exec \"$0\" \"$@\"", kAnalyzer, "--live", "--duration", "25s", option, path},
            withoutSoundServer(dir));
        expectRefusedInOneLine(full, option + ' ' + path + " cannot be written: ",
                               reason(std::errc::file_too_large), option.toStdString() + " on a full disk");
        EXPECT_TRUE(QDir(dir.path()).entryList({"day.pdf*"}, QDir::Files | QDir::Hidden).isEmpty());
        EXPECT_TRUE(QDir(dir.filePath("logs")).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // A report the user may not replace stays as it was. Root may replace anything: the
    // analyzer then runs as nobody.
    const QString kept = writeBytes(dir, "kept.svg", "an older report");
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0444), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString log = writeLog(dir);
    ASSERT_EQ(::chmod(QFile::encodeName(log).constData(), 0644), 0);
    const AnalyzerRun readOnly =
        geteuid() == 0 ? run("setpriv", QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                    kAnalyzer, "--report", kept, log})
                       : analyze({"--report", kept, log});
    expectRefusedInOneLine(readOnly, kept, reason(std::errc::permission_denied), "a read-only report");
    QFile older(kept);
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), "an older report");

    // What changes during the run is found by the final write, with the system's reason (a disk
    // that fills up: here a file-size limit of 8 KiB) and exit status 3; the summary holds good.
    const AnalyzerRun full = run("bash", {"-c", "ulimit -f 8; exec \"$0\" --report \"$1\" \"$2\"", kAnalyzer,
                                          dir.filePath("r.png"), log});
    EXPECT_EQ(full.exitCode, 3);
    ASSERT_EQ(full.lines.size(), 1);
    EXPECT_TRUE(full.lines[0].startsWith("SUMMARY,120,"));
    EXPECT_EQ(full.errors.trimmed(), QStringLiteral("Cannot write the report %1: %2")
                                         .arg(dir.filePath("r.png"), reason(std::errc::file_too_large)));
    EXPECT_FALSE(QDir(dir.path()).entryList({"r.png*"}, QDir::Files | QDir::Hidden).size())
        << "no part of it, no temporary";
}

// A report goes in place of a link, as a snapshot does: the file the link points to is never
// overwritten, and a dangling link or a loop of links is no obstacle.
TEST(FailEarly, AReportTakesThePlaceOfALinkAndNeverWritesThroughIt)
{
    QTemporaryDir dir;
    const QString log = writeLog(dir);
    const QString target = writeBytes(dir, "target.txt", "keep me");
    auto link = [&dir](const char *name, const char *to) {
        EXPECT_EQ(::symlink(to, QFile::encodeName(dir.filePath(name)).constData()), 0);
        return dir.filePath(name);
    };
    const QString pointing = link("report.svg", "target.txt");
    const QString dangling = link("dangling.svg", "nowhere/report.svg");
    link("loop2.svg", "loop1.svg");
    const QString loop = link("loop1.svg", "loop2.svg");
    for (const QString &report : {pointing, dangling, loop}) {
        const AnalyzerRun run = analyze({"--report", report, log});
        EXPECT_EQ(run.exitCode, 0) << report.toStdString() << ' ' << run.errors.toStdString();
        EXPECT_FALSE(QFileInfo(report).isSymLink()) << report.toStdString();
        QFile written(report);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << report.toStdString();
        EXPECT_TRUE(written.readAll().startsWith("<?xml")) << report.toStdString();
    }
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
    EXPECT_EQ(QFileInfo(dir.filePath("loop2.svg")).symLinkTarget(), dir.filePath("loop1.svg"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("nowhere")));
}

// --help names what goes with what ("With --record: ...", "not with --json or --positions");
// every pair it names is refused, in one line naming both, and so is every option given with a
// CSV log but --report, its --title and --tolerance, and --quiet.
TEST(FailEarly, EveryPairTheHelpNamesIsRefused)
{
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, "watch.wav", 3);
    const QString log = writeLog(dir);
    const QString help = analyze({"--help"}).lines.join('\n');
    // One entry per option: its names, whether it takes a value, and its text on one line.
    struct Option {
        bool valued = false;
        QString text;
    };
    std::map<QString, Option> options;
    const QRegularExpression entry(QStringLiteral("^  (?:-\\w, )?--([a-z-]+)( <\\w+>)?\\s+(.*)$"));
    QString current;
    for (const QString &line : help.split('\n')) {
        if (const auto match = entry.match(line); match.hasMatch()) {
            current = match.captured(1);
            options[current] = {!match.captured(2).isEmpty(), match.captured(3)};
        } else if (!current.isEmpty() && line.startsWith("  ") && !line.trimmed().isEmpty()) {
            options[current].text += ' ' + line.trimmed();
        } else {
            current.clear();
        }
    }
    ASSERT_GT(options.size(), 25u) << help.toStdString();
    const std::map<QString, QString> values = {
        {"record", dir.filePath("records")},
        {"report", dir.filePath("report.svg")},
        {"start", "2026-12-07 10:00:00"},
        {"device", "nowhere"},
        {"duration", "1s"},
        {"position-names", "DU"},
        {"view", "10"},
        {"lift-angle", "52"},
    };
    auto given = [&](const QString &name) {
        QStringList arguments = {"--" + name};
        if (options[name].valued)
            arguments << (values.count(name) ? values.at(name) : QStringLiteral("1"));
        return arguments;
    };
    std::set<std::pair<QString, QString>> needs, conflicts;
    const QRegularExpression with(QStringLiteral("\\bWith --([a-z-]+)"));
    const QRegularExpression notWith(QStringLiteral("not with ((?:--[a-z-]+(?:, | or )?)+)"));
    const QRegularExpression named(QStringLiteral("--([a-z-]+)"));
    for (const auto &[name, option] : options) {
        for (auto it = with.globalMatch(option.text); it.hasNext();)
            needs.insert({name, it.next().captured(1)});
        for (auto it = notWith.globalMatch(option.text); it.hasNext();)
            for (auto each = named.globalMatch(it.next().captured(1)); each.hasNext();)
                conflicts.insert({name, each.next().captured(1)});
    }
    EXPECT_GE(needs.size(), 7u);
    EXPECT_GE(conflicts.size(), 11u);
    auto expectRefused = [&](const QStringList &arguments, const QString &first, const QString &second) {
        const AnalyzerRun run = analyze(arguments, withoutSoundServer(dir));
        const std::string context = arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << context << ' ' << run.errors.toStdString();
        EXPECT_TRUE(run.lines.isEmpty()) << context;
        EXPECT_EQ(errorLines(run).size(), 1) << context << ' ' << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("--" + first) && run.errors.contains(second))
            << context << ' ' << run.errors.toStdString();
    };
    // A base that is right but for the pair: the recordings a mode wants, and an end to --live.
    auto base = [&](const QStringList &arguments) {
        QStringList full = arguments;
        if (arguments.contains("--positions") && !arguments.contains("--position-names"))
            full << "--position-names"
                 << "DU";
        if (arguments.contains("--live") && !arguments.contains("--duration"))
            full << "--duration"
                 << "1s";
        if (!arguments.contains("--live"))
            full << wav;
        return full;
    };
    for (const auto &[option, companion] : needs)
        expectRefused(base(given(option)), option, "--" + companion);
    for (const auto &[option, other] : conflicts)
        expectRefused(base(given(option) + given(other)), option, "--" + other);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("records"))) << "nothing made for a refused run";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("report.svg")));

    // A log is read, not measured.
    EXPECT_TRUE(
        help.simplified().contains("no other option but --quiet, --title, --tolerance, --beat-error-max and "
                                   "--amplitude-min applies to a log"));
    for (const auto &[name, option] : options)
        if (!QStringList{"report", "quiet", "title", "tolerance", "beat-error-max", "amplitude-min", "help",
                         "help-all", "version"}
                 .contains(name))
            expectRefused(given(name) + QStringList{log}, name, "CSV log");
    const AnalyzerRun quiet = analyze({"--quiet", "--report", dir.filePath("log.svg"), log});
    EXPECT_EQ(quiet.exitCode, 0) << quiet.errors.toStdString();
}

// A named pipe is refused at once, by either program, rather than waited on; a pipe stalled under
// a run is cut off by SIGTERM, and the run ends with what it measured.
TEST(FailEarly, NoWaitOnANamedPipeAndSigtermEndsEitherProgram)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("recording.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const AnalyzerRun analyzed = analyze({fifo});
    expectRefusedInOneLine(analyzed, fifo + " is not a recording Tamsel can read (a named pipe",
                           "standard input", "a named pipe");
    const QString fifoLog = dir.filePath("run.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifoLog).constData(), 0600), 0);
    expectRefusedInOneLine(analyze({fifoLog}), fifoLog + " is not a CSV log Tamsel can read (", "not a file",
                           "a named pipe for a log");

    // The window, given a named pipe or no audio at all, says so, naming the file, and needs no
    // sound server; given a recording, it plays it without one.
    const QString notes = writeBytes(dir, "notes.wav", "Not a recording, whatever its name says.\n");
    const QString wav = writeWatch(dir, "watch.wav", 20);
    // A copy of the program in a folder of its own, so its settings file lands there.
    const QString program = dir.filePath("Quorlen");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    for (const QString &file : {fifo, notes, wav}) {
        QProcess quorlen;
        quorlen.setProcessEnvironment(withoutSoundServer(dir));
        quorlen.start(program, {file});
        ASSERT_TRUE(quorlen.waitForStarted());
        const QString said =
            file == wav ? errorsUntil(quorlen, "no such text", 2000)
                        : errorsUntil(quorlen, file + " is not a recording Tamsel can read (", 10000);
        if (file != wav) {
            EXPECT_TRUE(said.contains(file + " is not a recording Tamsel can read (")) << said.toStdString();
        }
        EXPECT_FALSE(said.contains("Connection refused")) << said.toStdString();
        EXPECT_FALSE(said.contains("sound server")) << said.toStdString();
        EXPECT_TRUE(endsAtSigterm(quorlen)) << file.toStdString();
        if (quorlen.state() != QProcess::NotRunning) {
            quorlen.kill();
            quorlen.waitForFinished();
        }
    }

    // A pipe whose writer stalls after three seconds of audio: SIGTERM ends the wait at once, and
    // the run ends as at the end of its recording, with FINAL, the report and SUMMARY (exit
    // status 128 + 15, as the shell reports a program SIGTERM ended).
    const QString short3 = writeWatch(dir, "short.wav", 3.5);
    QProcess writer, analyzer;
    writer.setStandardOutputProcess(&analyzer);
    writer.start("bash", {"-c", "cat \"$0\"; exec sleep 60", short3});
    analyzer.start(kAnalyzer, {"--view", "1", "--report", dir.filePath("stalled.svg"), "-"});
    ASSERT_TRUE(analyzer.waitForStarted());
    QByteArray out;
    QElapsedTimer clock;
    for (clock.start(); out.count('\n') < 3 && clock.elapsed() < 60000;) {
        analyzer.waitForReadyRead(100);
        out += analyzer.readAllStandardOutput();
    }
    ASSERT_EQ(out.count('\n'), 3) << "every whole sweep of what came";
    QThread::msleep(500);
    EXPECT_TRUE(endsAtSigterm(analyzer));
    writer.kill();
    writer.waitForFinished();
    out += analyzer.readAllStandardOutput();
    EXPECT_EQ(analyzer.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(analyzer.exitCode(), 128 + SIGTERM);
    const QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << out.toStdString();
    const AnalyzerRun whole = analyze({"--view", "1", short3});
    ASSERT_EQ(whole.lines.size(), 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[i].mid(16), whole.lines[i].mid(16)) << "the sweeps measured, stamps aside";
    EXPECT_EQ(lines[3], whole.lines[3]) << "the same FINAL line as at the recording's end";
    EXPECT_TRUE(lines[4].startsWith("SUMMARY,")) << lines[4].toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath("stalled.svg")).size() > 0);

    // A pipe the shell hands over (/dev/fd/N) has its writer: it is read, not refused.
    const AnalyzerRun substituted =
        run("bash", {"-c", "exec \"$0\" --view 1 <(cat \"$1\")", kAnalyzer, short3});
    EXPECT_EQ(substituted.exitCode, 0) << substituted.errors.toStdString();
    EXPECT_EQ(substituted.lines.size(), 4);
}

// What is not a recording Tamsel can read is called so, with the reason, in one line of its own:
// no line of a library's, no "file does not exist" for one that does, no "Internal error". A
// rate too slow to carry a tick is refused, naming the slowest that is measured. A cut FLAC reads
// to its cut from a file and from a pipe alike.
TEST(FailEarly, RecordingsTamselCannotReadAreNamedSoAndACutFlacReadsAlikeFromAPipe)
{
    QTemporaryDir dir;
    QByteArray noise("\xff\xfb\x90\x00", 4); // an MPEG frame's start, then bytes of no meaning
    for (uint32_t x = 1; noise.size() < 30000;) {
        x = x * 1664525u + 1013904223u;
        noise += static_cast<char>(x >> 24);
    }
    // A WAV header of 16-bit mono at 0 samples/s, then a second of silence.
    const QByteArray rateZero = "RIFF" + le(36 + 88200, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                                le(0, 4) + le(0, 4) + le(2, 2) + le(16, 2) + "data" + le(88200, 4) +
                                QByteArray(88200, '\0');
    const std::vector<std::pair<QString, QString>> cases = {
        {writeBytes(dir, "noise.mp3", noise), ""},
        {writeBytes(dir, "zero.wav", rateZero), "its header gives no sample rate"},
        {writeWatch(dir, "8k.wav", 3, 8000),
         "its sample rate is 8000 Hz; the lowest Tamsel measures is 16000 Hz"},
        {writeWatch(dir, "slow.wav", 3, 15999), "the lowest Tamsel measures is 16000 Hz"},
    };
    for (const auto &[file, why] : cases) {
        const AnalyzerRun run = analyze({file});
        expectRefusedInOneLine(run, file + " is not a recording Tamsel can read (", why, file.toStdString());
        EXPECT_FALSE(run.errors.contains("Note:") || run.errors.contains("does not exist") ||
                     run.errors.contains("Internal error"))
            << run.errors.toStdString();
    }
    EXPECT_EQ(analyze({writeWatch(dir, "16k.wav", 3, 16000)}).exitCode, 0) << "the slowest rate measured";

    const QString flac = writeWatch(dir, "watch.flac", 12, 44100, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    QFile cut(flac);
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cut.resize(cut.size() * 2 / 3));
    cut.close();
    const AnalyzerRun fromFile = analyze({"--view", "1", flac});
    const AnalyzerRun fromPipe = run("bash", {"-c", "cat \"$1\" | exec \"$0\" --view 1 -", kAnalyzer, flac});
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.errors.toStdString();
    EXPECT_EQ(fromPipe.exitCode, 0) << fromPipe.errors.toStdString();
    ASSERT_GE(fromFile.lines.size(), 6);
    ASSERT_EQ(fromPipe.lines.size(), fromFile.lines.size());
    for (int i = 0; i < fromFile.lines.size(); ++i)
        EXPECT_EQ(fromPipe.lines[i].mid(16), fromFile.lines[i].mid(16))
            << "the same measurement, stamps aside";
}

// Without a sound server, --live says what it could not reach and, having captured nothing,
// ends with exit status 4 rather than an empty FINAL line and 0.
TEST(FailEarly, NoSoundServerIsNamedAndALiveRunThatCapturedNothingFails)
{
    QTemporaryDir dir;
    const AnalyzerRun live = analyze({"--live", "--duration", "2s"}, withoutSoundServer(dir));
    EXPECT_EQ(live.exitCode, 4) << live.errors.toStdString();
    EXPECT_TRUE(
        live.errors.contains(QStringLiteral("No sound server: none answers at unix:%1 (Connection refused)")
                                 .arg(dir.filePath("no-server"))))
        << live.errors.toStdString();
    EXPECT_TRUE(live.errors.contains("--live captured nothing")) << live.errors.toStdString();
}

// What cannot be done as given is refused at once, in words that point at the fault: a full
// standard output, a folder that takes no files, an hour the clocks skip, standard input or a
// position twice where each position is a file of its own, an empty source, options of the
// window that exclude each other or need a recording; and no "No watch heard" after a watch was.
TEST(FailEarly, EachRefusalNamesItsRealCause)
{
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, "watch.wav", 5);
    const QProcessEnvironment env = withoutSoundServer(dir);

    const AnalyzerRun version = run("bash", {"-c", "exec \"$0\" --version > /dev/full", kAnalyzer});
    EXPECT_EQ(version.exitCode, 3) << version.errors.toStdString();
    EXPECT_TRUE(version.errors.contains(reason(std::errc::no_space_on_device)))
        << version.errors.toStdString();

    expectRefusedInOneLine(analyze({"--record", "/proc/self", wav}, env),
                           "--record /proc/self cannot be written: ", "the folder takes no new files",
                           "/proc/self");

    QProcessEnvironment berlin = env;
    berlin.insert("TZ", "Europe/Berlin");
    const AnalyzerRun gap = analyze({"--start", "2026-03-29 02:30:00", wav}, berlin);
    expectRefusedInOneLine(gap, "--start \"2026-03-29 02:30:00\" is no time of this time zone",
                           "daylight saving time begins", "a start in the spring's gap");
    EXPECT_EQ(analyze({"--start", "2026-03-29 03:30:00", wav}, berlin).exitCode, 0);

    expectRefusedInOneLine(analyze({"--positions", "--position-names", "DU", "-"}, env), "--positions",
                           "not from standard input (-)", "--positions -");
    expectRefusedInOneLine(analyze({"--positions", "--position-names", "DU,du", wav, wav}, env),
                           "--position-names names DU twice", "one recording per position",
                           "a position twice");
    expectRefusedInOneLine(analyze({"--live", "--device", "", "--duration", "5s"}, env), "--device needs",
                           "pactl list short sources", "--device \"\"");

    // A beat rate set by hand over a one-second view gives a beat error and an amplitude before
    // any rate: the watch was heard.
    const AnalyzerRun byHand = analyze({"--bps", "5", "--view", "1", wav}, env);
    EXPECT_EQ(byHand.exitCode, 0);
    ASSERT_GE(byHand.lines.size(), 3);
    EXPECT_FALSE(byHand.lines[2].split(',')[2].isEmpty()) << byHand.lines[2].toStdString();
    EXPECT_FALSE(byHand.errors.contains("No watch heard")) << byHand.errors.toStdString();

    // The window, before it opens.
    const QStringList refused[] = {{"--demo", "--wav", wav}, {"--demo", wav}, {"--loop"}, {"--device", ""}};
    const QString why[] = {"--demo measures the built-in watch, not a recording",
                           "--demo measures the built-in watch, not a recording",
                           "--loop needs a recording to start over", "--device needs"};
    for (size_t i = 0; i < std::size(refused); ++i) {
        const AnalyzerRun window = run(QStringLiteral(TAMSEL_BINARY_DIR "/app/Quorlen"), refused[i], env);
        EXPECT_EQ(window.exitCode, 2) << refused[i].join(' ').toStdString();
        EXPECT_TRUE(window.errors.contains("Quorlen: " + why[i])) << window.errors.toStdString();
    }
}
