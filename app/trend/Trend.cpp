#include "app/trend/Trend.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/TForm1.h"
#include "app/trend/TrendWindow.h"

namespace tamsel {

void Trend::inputInUse(const QString &name, bool recording)
{
    input_ = recording        ? QStringLiteral("recording ") + name
             : name.isEmpty() ? QStringLiteral("microphone")
                              : QStringLiteral("microphone ") + name;
}

void Trend::sweepEnded(const SweepRecord &sweep)
{
    if (seconds_)
        *seconds_ += static_cast<double>(sweep.endSample - lastEnd_) / sweep.samplesPerSecond;
    lastEnd_ = sweep.endSample;
    // Stopped (by hand, or at a replay's end), the readouts stand still: no new sweep of the watch.
    if (!form_.session().settings().running) {
        gap();
        return;
    }
    const Reading &shown = sweep.reading;
    if (!shown.rateValid || !shown.beatErrorValid) {
        gap(); // nothing measured in this sweep
        return;
    }
    run_.sweepSeconds = form_.state.viewSeconds;
    if (!seconds_) {
        seconds_ = 0;
        start_ = QDateTime::currentDateTime().addSecs(-form_.state.viewSeconds);
    }
    SweepPoint point;
    point.seconds = *seconds_;
    point.rate = shown.secondsPerDay;
    point.amplitude = shown.amplitudeValid ? shown.amplitude : NAN;
    point.beatError = shown.beatErrorMs;
    run_.add(point);
    if (window_)
        window_->runChanged();
}

ReportFacts Trend::facts() const
{
    ReportFacts facts;
    facts.start = start_;
    // As the beat rate readout shows it, to a tenth of a beat per second.
    facts.beatsPerHour = std::round(form_.state.beatsPerSecond * 10) / 10 * 3600;
    facts.liftAngle = form_.state.liftAngle;
    facts.input = input_;
    facts.clockCorrection = form_.clock().reportText();
    return facts;
}

// Where it covers the least of the LED readouts, and then of the main window: beside the
// main window (on its right, else on its left), below it, or at the screen's right or left
// edge just below the LED strip, made shorter to fit there. Always wholly on the screen, so
// that its buttons can be reached.
void Trend::place()
{
    const QScreen *screen = form_.screen() ? form_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The title bar and borders the window manager adds, where it has not told them yet.
    const QSize frame(16, 40);
    const QSize least = window_->minimumSizeHint() + frame;
    const QSize wanted =
        window_->size().boundedTo(room.size() - frame).expandedTo(window_->minimumSizeHint()) + frame;
    const QRect main = form_.frameGeometry();
    const QRect leds(form_.BackPanel1->mapToGlobal(QPoint(0, 0)), form_.BackPanel1->size());
    // A frame of `size` at x, y moved onto the screen.
    const auto onScreen = [&room](int x, int y, QSize size) {
        return QRect(std::clamp(x, room.left(), std::max(room.left(), room.right() + 1 - size.width())),
                     std::clamp(y, room.top(), std::max(room.top(), room.bottom() + 1 - size.height())),
                     size.width(), size.height());
    };
    // At the screen's edge below the LEDs, no taller than the room left there.
    const int belowLeds = leds.bottom() + 1;
    const QSize underLeds(wanted.width(),
                          std::max(least.height(), std::min(wanted.height(), room.bottom() + 1 - belowLeds)));
    const QRect candidates[] = {
        onScreen(main.right() + 1, main.top(), wanted),
        onScreen(main.left() - wanted.width(), main.top(), wanted),
        onScreen(main.left(), main.bottom() + 1, wanted),
        onScreen(room.right() + 1 - wanted.width(), belowLeds, underLeds),
        onScreen(room.left(), belowLeds, underLeds),
    };
    const auto covered = [](const QRect &a, const QRect &b) {
        const QRect both = a.intersected(b);
        return int64_t{both.width()} * both.height();
    };
    const auto cost = [&](const QRect &c) { return std::pair(covered(c, leds), covered(c, main)); };
    // The first of the least covering, in the order above.
    const QRect &best = *std::min_element(std::begin(candidates), std::end(candidates),
                                          [&](const QRect &a, const QRect &b) { return cost(a) < cost(b); });
    window_->resize(best.size() - frame);
    window_->move(best.topLeft());
}

void Trend::show()
{
    if (!window_) {
        window_ = new TrendWindow(
            run_, [this] { return facts(); },
            [this] {
                return QStringLiteral("Waiting for the first sweep (%1 s)").arg(form_.state.viewSeconds);
            },
            &form_);
        place();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace tamsel
