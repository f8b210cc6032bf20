#include "tools/LiveRun.h"

#include <QRegularExpression>
#include <QTimer>
#include <memory>

#include "app/TForm1.h"
#include "app/UnixSignals.h"

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

void reportCaptureHealth(TForm1 &form, const std::function<void()> &onLoss,
                         const std::function<void(const QString &)> &say)
{
    TWinWaveIn &device = *form.WinWaveIn1;
    auto last = std::make_shared<QString>();
    auto tell = [&form, last, say] {
        const QString note = form.StatusBar1->captureNote();
        if (!note.isEmpty() && note != *last)
            say(note);
        *last = note;
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
