#include "app/trend/Trend.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "app/TForm1.h"
#include "app/trend/TrendWindow.h"
#include "measurement/CsvLogReader.h"
#include "measurement/ValueRanges.h"
#include "recording/RecordNames.h"

namespace tamsel {

void Trend::sweepEnded()
{
    // Stopped (by hand, or at a replay's end), the readouts stand still: no new sweep of the watch.
    if (!form_.StartButton->isChecked()) {
        gap();
        return;
    }
    // Read back from the line the log would get, so the trend shows what the log holds.
    const auto sweep =
        parseCsvLine(csvLineOf(recordStamp(QDateTime::currentDateTime()), form_.sweepValues()));
    if (!sweep || !sweep->rate || !sweep->beatError) {
        gap(); // nothing measured in this sweep
        return;
    }
    run_.sweepSeconds = form_.state.viewSeconds;
    if (!firstSample_) {
        firstSample_ = form_.samplesHeard();
        start_ = QDateTime::currentDateTime().addSecs(-form_.state.viewSeconds);
    }
    SweepPoint point;
    point.seconds = static_cast<double>(form_.samplesHeard() - *firstSample_) / kNominalSampleRate;
    point.rate = *sweep->rate;
    point.amplitude = sweep->amplitude.value_or(NAN);
    point.beatError = *sweep->beatError;
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
    // The window's title names the source in use after its caption.
    const QString source = form_.windowTitle().section(QStringLiteral(" – "), 1);
    facts.input = form_.playingRecording() ? QStringLiteral("recording ") + source
                  : source.isEmpty()       ? QStringLiteral("microphone")
                                           : QStringLiteral("microphone ") + source;
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
