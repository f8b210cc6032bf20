#pragma once
// The ruler overlay of the timing chart: a middle line and, while a beat rate is known,
// silver lines every 10 ms of beat phase above and below it.
#include <QImage>

#include "measurement/MeasurementState.h"

namespace tamsel {

class ChartRuler {
public:
    // DrawRuler's image for a chart panel of panelWidth x panelHeight: (W - 20) x (H - 20),
    // white being transparent; null when either side would be empty.
    static QImage draw(int panelWidth, int panelHeight, const MeasurementState &state);
};

} // namespace tamsel
