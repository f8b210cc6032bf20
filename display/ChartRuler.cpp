#include "display/ChartRuler.h"

#include <cmath>

#include "display/Canvas.h"
#include "display/ChartScale.h"
#include "measurement/Numbers.h"

namespace tamsel {

QImage ChartRuler::draw(int panelWidth, int panelHeight, const MeasurementState &state)
{
    const int wr = panelWidth - 20, hr = panelHeight - 20;
    QImage ruler = whiteLayer(wr, hr);
    if (ruler.isNull())
        return ruler;
    const int m = hr / 2;
    Canvas canvas(ruler);
    canvas.setPenColor(colors::black);
    canvas.moveTo(0, m);
    canvas.lineTo(wr, m);
    if (!state.beatRateSet() || state.samplesPerSecond <= 0)
        return ruler;

    canvas.setPenColor(colors::silver);
    canvas.moveTo(0, m);
    canvas.lineTo(wr, m);
    const long double zoom = ChartScale::effectiveZoom(state.zoom);
    const auto k = static_cast<double>(
        hr / (static_cast<long double>(state.samplesPerSecond) / state.beatsPerSecond / zoom));
    if (!std::isfinite(k) || k <= 0)
        return ruler;
    const long double tenMs = static_cast<long double>(state.samplesPerSecond) / 100;
    const long double slope = tenMs * k; // pixels per step of 10 ms, up to rounding
    int64_t drawn = -1;
    for (int64_t i = 0;; ++i) {
        const long double distance = i * tenMs * k;
        if (!(distance < hr + 1)) // both lines are off the ruler from here on
            break;
        const int64_t r = RoundHalfAway(distance);
        const bool below = m + r < hr, above = m - r >= 0;
        if (!below && !above)
            break;
        if (r != drawn) {
            drawn = r;
            if (below) {
                canvas.moveTo(0, static_cast<int>(m + r));
                canvas.lineTo(wr, static_cast<int>(m + r));
            }
            if (above) {
                canvas.moveTo(0, static_cast<int>(m - r));
                canvas.lineTo(wr, static_cast<int>(m - r));
            }
        }
        // At a very slow rate many steps round to the same distance: skip those, staying a
        // safe margin short of the step where the distance reaches the next half pixel.
        // A rate so slow that this lies beyond any count would otherwise never finish.
        const long double nextStep = (r + 0.5L) / slope * (1 - 1e-15L) - 2;
        if (!(nextStep < 4.0e18L))
            break;
        if (nextStep > i + 1)
            i = static_cast<int64_t>(nextStep) - 1;
    }
    return ruler;
}

} // namespace tamsel
