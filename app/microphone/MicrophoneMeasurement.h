#pragma once
// The window's side of the averaging measurement: with the input filter on it takes the place
// of beat detection. Once the engine's meter has heard a buffer, its beats become the chart's
// dots, its reading the readouts, its templates the signal graph, and when it hears no watch
// the readouts show nothing and the status bar says so.
#include <QImage>
#include <QString>
#include <cstdint>

#include "measurement/averaging/AveragingMeter.h"

namespace tamsel {

class TForm1;

class MicrophoneMeasurement {
public:
    MicrophoneMeasurement(TForm1 &form, AveragingMeter &meter) : form_(form), meter_(meter) {}

    void reset();
    // The meter has heard a buffer, once it is all stored in the history.
    void show();
    // What the status bar says of the sound: "No watch heard", a weak signal, or nothing.
    QString hearingText() const;

private:
    void markBeats();
    void showReading();
    void clearReadouts();
    void drawTemplates();

    TForm1 &form_;
    AveragingMeter &meter_; // the engine's
    bool showing_ = false;  // the readouts carry a reading
};

} // namespace tamsel
