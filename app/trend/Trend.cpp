#include "app/trend/Trend.h"

#include <QGuiApplication>
#include <QScreen>
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
    if (!firstSample_)
        firstSample_ = form_.samplesHeard();
    SweepPoint point;
    point.seconds = static_cast<double>(form_.samplesHeard() - *firstSample_) / kNominalSampleRate;
    point.rate = *sweep->rate;
    point.amplitude = sweep->amplitude.value_or(NAN);
    point.beatError = *sweep->beatError;
    run_.add(point);
    if (window_)
        window_->runChanged();
}

void Trend::show()
{
    if (!window_) {
        window_ = new TrendWindow(run_, &form_);
        // Beside the main window, on its right where the screen has room, else on its left.
        const QRect main = form_.frameGeometry();
        const QScreen *screen = form_.screen() ? form_.screen() : QGuiApplication::primaryScreen();
        const QRect room = screen ? screen->availableGeometry() : QRect();
        QPoint at(main.right() + 8, main.top());
        if (room.isValid() && at.x() + window_->width() > room.right())
            at.setX(std::max(room.left(), main.left() - window_->width() - 8));
        window_->move(at);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace tamsel
