#pragma once
// The window's side of the averaging measurement: with the input filter on it takes the place
// of beat detection. Each buffer's raw samples go to the meter; its beats become the chart's
// dots, its reading the readouts, its templates the signal graph, and when it hears no watch
// the readouts show nothing and the status bar says so.
#include <QImage>
#include <QString>
#include <cstdint>

#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class TForm1;
class TWinWaveBuffer;

class MicrophoneMeasurement {
public:
    explicit MicrophoneMeasurement(TForm1 &form) : form_(form) {}

    void reset();
    // A buffer's raw samples, once they are all stored in the history.
    void add(const TWinWaveBuffer &buf);
    // What the status bar says of the sound: "No watch heard", a weak signal, or nothing.
    QString hearingText() const;
    const AveragingMeter &meter() const { return meter_; }

private:
    void markBeats();
    void showReading();
    void clearReadouts();
    void drawTemplates();

    TForm1 &form_;
    AveragingMeter meter_;
    bool showing_ = false; // the readouts carry a reading
};

} // namespace tamsel
