#pragma once
// The timing chart's scale for one analysis pass: a sample number's x across the sweep and
// its y as the phase within a span of S samples (one beat period divided by the zoom).
#include <QImage>
#include <cstdint>
#include <optional>

#include "measurement/MeasurementState.h"

namespace tamsel {

class ChartScale {
public:
    ChartScale() = default;
    // The factors at the start of a pass, from the trace layer's size and the state.
    ChartScale(const QImage &traceBitmap, const MeasurementState &state);

    // A zoom of 0 or below is taken as 1.
    static int32_t effectiveZoom(int32_t zoom) { return zoom <= 0 ? 1 : zoom; }
    // The trace pen's width for a view length.
    static int penWidthFor(int32_t viewSeconds);

    double vertical() const { return vertical_; }     // v, pixels per sample of phase
    double horizontal() const { return horizontal_; } // h, pixels per sample of the sweep
    double span() const { return span_; }             // S, samples the plot height spans
    int penWidth() const { return penWidth_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The layer is at least 21 x 21 and the sweep has a length: the marks can be drawn.
    bool drawable() const { return drawable_; }

    // x(i) = Round(i x h) + 10.
    int x(int64_t i) const;
    // y(i) = (Round((i - traceOrigin) x v) rem Hp) + 10, the remainder taking the sign of
    // the dividend. Meaningful only while drawable().
    int y(int64_t i, int32_t traceOrigin) const;
    // One second of sweep in pixels: Round(44 100 x h).
    int secondWidth() const;

    // The origin that puts beatTime in the vertical middle of the plot:
    // Trunc(b - (Trunc(b / S) x S + S / 2)); none when S is not a usable number or the
    // result does not fit 32 bits.
    std::optional<int32_t> centredOrigin(int32_t beatTime) const;

private:
    double vertical_ = 0;
    double horizontal_ = 0;
    double span_ = 0;
    int penWidth_ = 1;
    int width_ = 0;
    int height_ = 0;
    bool drawable_ = false;
};

} // namespace tamsel
