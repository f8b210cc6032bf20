#include <QCommandLineParser>
#include <QFileInfo>
#include <csignal>
#include <cstdio>

#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingSource.h"
#include "capture/FileSoundService.h"
#include "capture/PulseSoundService.h"
#include "capture/SyntheticWatch.h"
#include "support/RangedOption.h"
#include "support/UnixSignals.h"
#include "widgets/Glyphs.h"

using namespace tamsel;

namespace {

// The sound the window captures: the live sound server unless a recording or the demo
// watch is asked for. With a recording given the window needs no sound server: one that cannot
// be read (not audio, a named pipe) leaves the window without capture, and opening the device
// says why, naming the file; File / Live input starts the live capture.
std::unique_ptr<SoundService> chooseSource(const QCommandLineParser &args, QString *problem)
{
    const QString file = args.isSet("wav") ? args.value("wav") : args.positionalArguments().value(0);
    if (!args.isSet("demo") && !file.isEmpty()) {
        if (auto service = recordingService(file, args.isSet("loop"), problem))
            return service;
        FileSoundOptions options;
        options.error = problem->toStdString();
        return std::make_unique<FileSoundService>(std::move(options));
    }
    if (args.isSet("demo")) {
        FileSoundOptions options;
        // With the input filter, the watch as an ordinary microphone hears it.
        SyntheticWatchParams watch;
        watch.microphone.on = args.isSet("input-filter");
        if (watch.microphone.on)
            watch.peakLevel = 1000;
        options.source = std::make_unique<SyntheticWatch>(watch);
        options.paced = true;
        options.loop = true;
        return std::make_unique<FileSoundService>(std::move(options));
    }
    return makeLiveSoundService();
}

// Options that cannot be done as given: refused before the window opens, rather than one of
// them silently left undone.
QString refusedOptions(const QCommandLineParser &args)
{
    const bool recording = args.isSet("wav") || !args.positionalArguments().isEmpty();
    if (args.isSet("demo") && recording)
        return QStringLiteral("--demo measures the built-in watch, not a recording: give one or the other");
    if (args.isSet("loop") && !recording)
        return QStringLiteral("--loop needs a recording to start over: --wav FILE or FILE");
    if (args.isSet("device") && args.value("device").trimmed().isEmpty())
        return QStringLiteral("--device needs a source's name or description, as pactl list short sources "
                              "gives them");
    return {};
}

} // namespace

void describeOptions(QCommandLineParser &args)
{
    args.setApplicationDescription(QStringLiteral("Tamsel: a timegrapher for mechanical watches."));
    args.addHelpOption();
    args.addVersionOption();
    args.addOption(
        {QStringLiteral("wav"),
         QStringLiteral("Replay a recording at real-time pace instead of capturing from the microphone."),
         QStringLiteral("FILE")});
    args.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("A recording to open, as --wav does (WAV, FLAC, ...)."),
                               QStringLiteral("[FILE]"));
    args.addOption(
        {QStringLiteral("loop"), QStringLiteral("With --wav or FILE: start the recording over at its end.")});
    args.addOption(
        {QStringLiteral("device"),
         QStringLiteral("Capture from this source (its name or description) instead of the default one."),
         QStringLiteral("NAME")});
    args.addOption(
        {QStringLiteral("input-filter"),
         QStringLiteral("Turn the input filter on (an ordinary microphone) for this run, as its menu item "
                        "does; the settings keep the menu's choice.")});
    args.addOption({QStringLiteral("auto-threshold"),
                    QStringLiteral("Turn the automatic threshold on for this run, as its menu item does; the "
                                   "settings keep the menu's choice.")});
    args.addOption({QStringLiteral("demo"),
                    QStringLiteral("Measure a built-in synthetic watch (21 600 bph, "
                                   "+4 s/day, beat error 0.3 ms, 270 degrees); with --input-filter, "
                                   "as an ordinary microphone hears it.")});
}

int main(int argc, char **argv)
{
    catchTerminationSignals();
    // Past a file-size limit a write fails and is reported, rather than killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    {
        // --help is answered before any display is needed. The window system's own options
        // are known only to the application below, so other errors are reported there.
        QCoreApplication early(argc, argv);
        early.setApplicationName(QStringLiteral("Quorlen"));
        early.setApplicationVersion(QStringLiteral(TAMSEL_VERSION));
        QCommandLineParser args;
        describeOptions(args);
        args.parse(QCoreApplication::arguments());
        if (args.isSet(QStringLiteral("help")))
            args.showHelp(0);
        if (args.isSet(QStringLiteral("version")))
            args.showVersion();
    }
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorlen"));
    app.setApplicationVersion(QStringLiteral(TAMSEL_VERSION));
    TForm1Design design;
    // The title bar and message boxes speak the window's language.
    app.setApplicationDisplayName(design.caption);
    app.setDesktopFileName(QStringLiteral("io.github.tamsel.Quorlen"));
    app.setWindowIcon(programIcon());
    QCommandLineParser args;
    describeOptions(args);
    args.process(app);
    if (const QString refused = refusedOptions(args); !refused.isEmpty())
        commandLineError(refused);

    // Stopped from outside: close as the user would, answering any open box with its cancel;
    // a box that would open after it (a failure while closing) is only written to stderr.
    // A second signal, or a capture that does not wind down within five seconds (the window's
    // closing), ends the event loop; the window is still destroyed normally, so its settings
    // and recordings are kept. A signal during start-up lets the start-up finish and then ends
    // the program.
    TForm1 *window = nullptr;
    bool stopped = false;
    handleTerminationSignals(&app, [&window, &stopped](int) {
        EndMessageBoxes();
        cancelModalDialogs();
        if (!window) {
            stopped = true;
        } else if (window->state.closing) {
            QCoreApplication::quit();
        } else {
            window->close();
        }
    });
    design.device = args.value(QStringLiteral("device"));
    QString problem;
    std::unique_ptr<SoundService> source = chooseSource(args, &problem);
    const QString recording = args.isSet("wav") ? args.value("wav") : args.positionalArguments().value(0);
    if (args.isSet("demo"))
        design.recording = QStringLiteral("demo");
    else if (problem.isEmpty() && !recording.isEmpty())
        design.recording = QFileInfo(recording).fileName();
    TForm1 form(std::move(source), design);
    if (stopped) {
        form.winId(); // the settings are saved when the native window goes: make one
        return 0;
    }
    // For this run: the settings keep what the menu chose.
    for (const auto &[option, item] :
         {std::pair{"input-filter", form.InputFilter1}, std::pair{"auto-threshold", form.AutoThreshold1}})
        if (args.isSet(QString::fromLatin1(option)))
            form.runFlags.turnOn(item);
    window = &form;
    form.show();
    return app.exec();
}
