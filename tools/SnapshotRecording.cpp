#include "tools/SnapshotRecording.h"

#include <QDir>

namespace tamsel {

SnapshotRecording::SnapshotRecording(const QString &folder, const SnapshotOptions &options,
                                     Recorder::Clock clock)
    : folder_(QDir(folder).absolutePath() + QLatin1Char('/')), options_(options)
{
    recorder_.setClock(std::move(clock));
}

QString SnapshotRecording::sweepEnded(const SweepPictures &pictures, const MeasurementEngine &engine,
                                      const SweepRecord &sweep)
{
    const MeasurementState &state = engine.state();
    // The view is chosen before the run and the zoom before the view: a short view still
    // shows the text of its choice.
    const QString view = viewText(state.viewSeconds, state.zoom, state.viewSeconds <= 3, false);
    return recorder_.recordSweep(snapshotLayers(pictures), options_,
                                 {sweep, statusTexts(view, engine.reading())}, folder_);
}

} // namespace tamsel
