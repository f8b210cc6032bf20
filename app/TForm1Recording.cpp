// The record of a session: a CSV log while the recording button is down, and at every
// sweep end a snapshot and one log line.
#include "app/TApplication.h"
#include "app/TForm1.h"

namespace tamsel {

void TForm1::recBtnClick()
{
    const QString error = recBtn->isChecked() ? recorder_.start(recordFolder) : recorder_.stop();
    if (!error.isEmpty())
        ShowException(error);
}

void TForm1::RecordSweep(const SweepRecord &sweep)
{
    const SweepValues values{sweep, statusTexts(viewMenu_.shownText(), engine().reading())};
    SnapshotOptions options;
    options.jpeg = !bitmap1->isChecked();
    options.printScale = N23->isChecked();
    options.printSignalGraph = N25->isChecked();
    options.printMeasurement = N28->isChecked();
    const QString error = recorder_.recordSweep(snapshotLayers(pictures_), options, values, recordFolder);
    // Reported once the buffer has been handled: the buffer is still stored to its end, as
    // stopping here would leave a hole in the sample history and shift the time axis.
    if (!error.isEmpty())
        heldBoxes_.hold(error, QStringLiteral("RecordSweep"));
}

} // namespace tamsel
