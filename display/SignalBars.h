#pragma once
// The per-sample bars of the signal graph, drawn by the capture path as samples arrive.
// Make one per run of stored samples: the scale is taken once, from the sample layer and the
// sweep length as they are when the run is stored.
//
// At 44 100 bars a second every step counts, and most samples of a sweep share their x with
// the sample before (a column holds thousands of them in long views). So:
// - a bar's top is remembered by sample value (nothing else changes it within a buffer), and
//   its x over the run of sample numbers known to share it (x only grows with the number);
// - when the image is unchanged since this drawer's last bar (the same QImage cache key: any
//   write through QImage, QPainter or a Canvas changes it) and the x is the same, the wipe
//   would write the white it wrote before and the bar only needs what it adds above the
//   last one, so only that is drawn. The pixels come out as if each bar were drawn in full.
#include <QImage>
#include <cstdint>
#include <vector>

namespace tamsel {

class SignalBars {
public:
    // The drawing scale for one buffer, from the current sample layer and sweep length.
    SignalBars(const QImage &signalBitmap, int32_t samplesPerSweep);

    // Wipes the two columns right of the sample's x (full height, white) and draws the red
    // bar from the base line up to, not including, the sample's height.
    void draw(QImage &signalBitmap, int32_t writeIndex, uint32_t value) const;

    int baseLine() const { return baseLine_; }
    // Round(writeIndex x horizontal scale + 10) and Round(base line - value x vertical scale).
    int columnOf(int32_t writeIndex) const;
    int topOf(uint32_t value) const;

private:
    int computeColumn(int32_t writeIndex) const;

    double verticalScale_ = 0;
    double horizontalScale_ = 0;
    int baseLine_ = 0;
    bool drawable_ = false;
    // Remembered positions: they change no result, only its cost.
    mutable std::vector<int32_t> tops_; // by sample value; kUnknown until first needed
    mutable int32_t runFirst_ = 1;      // writeIndex runFirst_..runLast_ all lie at runColumn_
    mutable int32_t runLast_ = 0;
    mutable int runColumn_ = 0;
    mutable qint64 lastKey_ = 0; // the image's cache key right after the last bar; 0: none
    mutable int lastColumn_ = 0;
    mutable int lastTop_ = 0;        // rows lastTop_ + 1 .. base line of lastColumn_ are red
    mutable uint32_t lastValue_ = 0; // the largest value drawn in lastColumn_
};

} // namespace tamsel
