#include "app/positions/PositionReadout.h"

#include <cmath>

#include "app/TForm1.h"
#include "measurement/FormatPicture.h"

namespace tamsel {

PositionReading ReadPosition(const TForm1 &form, WatchPosition position, int64_t rateReadingsBefore)
{
    PositionReading r;
    r.position = position;
    const auto panel = [&form](int index) {
        return PictureNumber(form.StatusBar1->panelText(index).toStdString());
    };
    const auto rate = panel(6);
    r.beatsFound = form.rateReadings() > rateReadingsBefore && rate.has_value();
    r.rate = rate.value_or(0);
    r.beatError = panel(2).value_or(0);
    // The amplitude readout is 0 until measured after the restart and 1000 when not valid.
    const int32_t degrees = form.kaku->value();
    r.amplitudeValid = degrees > 0 && degrees <= 360;
    r.amplitude = r.amplitudeValid ? degrees : 0;
    r.beatsPerHour = std::round(form.state.beatsPerSecond * 3600);
    return r;
}

} // namespace tamsel
