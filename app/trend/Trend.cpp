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
    if (!form_.StartButton->isChecked()) {
        gap();
        return;
    }
    const ShownMeasures &shown = sweep.shown;
    if (!shown.rate || !shown.beatError) {
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
    point.rate = *shown.rate;
    point.amplitude = shown.amplitude ? *shown.amplitude : NAN;
    point.beatError = *shown.beatError;
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
    return facts;
}

// Beside the main window (on its right where the screen has room, else on its left, else over
// its edge), and wholly on the screen, so that its buttons can be reached.
void Trend::place()
{
    const QScreen *screen = form_.screen() ? form_.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The title bar and borders the window manager adds, where it has not told them yet.
    const QSize frame(16, 40);
    window_->resize(window_->size().boundedTo(room.size() - frame).expandedTo(window_->minimumSizeHint()));
    const QSize outer = window_->size() + frame;
    const QRect main = form_.frameGeometry();
    int x = main.right() + 1;
    if (x + outer.width() > room.right() + 1)
        x = main.left() - outer.width() >= room.left() ? main.left() - outer.width()
                                                       : room.right() + 1 - outer.width();
    const int y =
        std::clamp(main.top(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height()));
    window_->move(std::max(x, room.left()), y);
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
