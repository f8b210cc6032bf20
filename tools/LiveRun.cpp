#include "tools/LiveRun.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "capture/CaptureSession.h"
#include "support/UnixSignals.h"
#include "tools/RecordingAnalysis.h"

namespace tamsel {

std::optional<int64_t> durationMs(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,9})([smhd]?)$"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int64_t count = match.captured(1).toLongLong();
    const QString unit = match.captured(2);
    const int64_t seconds = unit == QLatin1String("d")   ? 86400
                            : unit == QLatin1String("h") ? 3600
                            : unit == QLatin1String("m") ? 60
                                                         : 1;
    if (count <= 0)
        return std::nullopt;
    return count * seconds * 1000;
}

void endLiveRunOn(std::optional<int64_t> ms, QObject *context, const std::function<void()> &onEnd)
{
    auto ended = std::make_shared<bool>(false);
    auto once = [ended, onEnd](auto...) {
        if (!std::exchange(*ended, true))
            onEnd();
    };
    handleTerminationSignals(context, once);
    if (!ms)
        return;
    // A timer's interval is an int: a long run is counted in steps of a day.
    auto left = std::make_shared<int64_t>(*ms);
    auto *timer = new QTimer(context);
    timer->setTimerType(Qt::CoarseTimer);
    auto step = [timer, left] { timer->start(static_cast<int>(std::min<int64_t>(*left, 86'400'000))); };
    QObject::connect(timer, &QTimer::timeout, context, [timer, left, step, once] {
        *left -= timer->interval();
        if (*left <= 0) {
            timer->stop();
            once();
        } else {
            step();
        }
    });
    step();
}

namespace {

QString missingSourceError(const MissingSource &missing)
{
    QStringList names;
    for (const CaptureSource &s : missing.sources)
        names << (s.description.empty()
                      ? QString::fromStdString(s.name)
                      : QStringLiteral("%1 (%2)").arg(QString::fromStdString(s.name),
                                                      QString::fromStdString(s.description)));
    return QStringLiteral("--device %1: the sound server has no such source; %2")
        .arg(missing.source, names.isEmpty()
                                 ? QStringLiteral("it has none")
                                 : QStringLiteral("its sources: ") + names.join(QStringLiteral(", ")));
}

} // namespace

QString measureCapture(CaptureSession &capture, const QString &source, RecordingAnalysis &analysis,
                       const std::function<void(const QString &)> &sayError)
{
    capture.input().device = source;
    capture.OnBuffer = [&analysis](const TWinWaveBuffer &buf) { analysis.measure(buf.Samples()); };
    capture.OnHandlingError = sayError;
    capture.OnError = sayError;
    capture.OnNewSource = [&analysis] { analysis.newSource(); };
    capture.OnLoss = [&analysis] { analysis.audioLost(); };
    try {
        capture.open(); // its open notification starts the capture
    } catch (const MissingSource &missing) {
        return missingSourceError(missing);
    } catch (const std::exception &e) {
        sayError(QString::fromUtf8(e.what()));
    }
    return {};
}

void reportCaptureHealth(CaptureSession &capture, const std::function<void()> &onLoss,
                         const std::function<void(const QString &)> &say)
{
    TWinWaveIn &device = capture.device();
    // A change of the note is said at once, and the changes that follow it within a second
    // only once they have stopped: a sound server gone for ten seconds, whose silence is counted
    // four times a second, is said as the loss begins and, with the whole loss, as it ends.
    struct Told {
        QString last;
        QTimer settling;
    };
    auto told = std::make_shared<Told>();
    told->settling.setSingleShot(true);
    told->settling.setInterval(1000);
    const auto sayNote = [&capture, say](Told &t) {
        const QString note = capture.note();
        if (!note.isEmpty() && note != t.last)
            say(note);
        t.last = note;
    };
    QObject::connect(&told->settling, &QTimer::timeout, [sayNote, t = told.get()] { sayNote(*t); });
    auto tell = [told, sayNote] {
        if (!told->settling.isActive())
            sayNote(*told);
        told->settling.start();
    };
    device.OnLoss = [handle = device.OnLoss, onLoss, tell](TWinWaveDevice *dev, int64_t samples) {
        handle(dev, samples);
        onLoss();
        tell();
    };
    device.OnFailure = [handle = device.OnFailure, tell](TWinWaveDevice *dev, const std::string &text) {
        handle(dev, text);
        tell();
    };
    device.OnRestore = [handle = device.OnRestore, tell, say](QObject *sender) {
        handle(sender);
        say(QStringLiteral("Sound server back: capturing again."));
        tell();
    };
}

} // namespace tamsel
