#pragma once
// Makes the sound of an ordinary microphone measurable: a band filter keeps where a tick
// sounds (about 3 to 8 kHz) and drops hum and room rumble; the burst's magnitude (the
// rectified analytic signal) and a short envelope turn each ringing burst into one pulse; the quiet level is
// taken off and an automatic gain brings the typical tick peak to half of full scale, following the watch's
// level over seconds. A louder sound lowers the gain at once (a look-ahead of 1.5 ms sees it coming, so the
// change falls before its pulse), and the gain comes back over seconds: a pulse is never clipped into a
// plateau. The result is a magnitude 0..32768 in place of |s|.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "measurement/Biquad.h"
#include "measurement/LevelTracker.h"

namespace tamsel {

class InputConditioner {
public:
    // Half of full scale: louder ticks, tocks and a watch moved closer stay below the ceiling.
    static constexpr double kTargetPeak = 16384;
    // The gain never exceeds kTargetPeak / kLeastSpan, so silence is never blown up.
    static constexpr double kLeastSpan = 64;
    // Samples between an envelope's arrival and its output: longer than a pulse's rise.
    static constexpr size_t kLookAhead = 64;

    InputConditioner();
    void reset();

    uint16_t next(int16_t sample)
    {
        if (settling_ > 0)
            return settle(sample);
        const double envelope = chain_.step(sample);
        if (levels_.add(envelope))
            adapt();
        return scaled(lookAhead(envelope));
    }

    // A buffer at a time: the filters' states stay in registers between block ends.
    void condition(const int16_t *samples, uint16_t *magnitudes, size_t count);

    double gain() const { return gain_; }
    bool settled() const { return settling_ == 0; }
    // How high the noise between beats and a typical beat reach in the output, as the levels
    // stand: what the automatic threshold lies between.
    double noiseReach() const { return std::max(0.0, (levels_.quietPeak() - quiet_) * gain_); }
    double typicalPeak() const { return std::max(0.0, (levels_.peak() - quiet_) * gain_); }

private:
    // y[n] = a^2 (x[n] + y[n-2]) - x[n-2]: two chains of these differ by a quarter turn
    // across the audio band, which gives the envelope without the carrier's ripple. A section
    // of each chain side by side (in-phase, quadrature); since an output reaches back two
    // samples, two samples can go through at once, in lanes {n I, n Q, n+1 I, n+1 Q}.
    struct QuarterTurnSection {
        using Pair = std::array<double, 2>;
        using Lanes = std::array<double, 4>;
        Lanes a2{};        // in-phase, quadrature, twice
        Lanes in{}, out{}; // the last two samples' x and y, the older in lanes 0 and 1
        Pair step(const Pair &x)
        {
            Pair y;
            for (size_t k = 0; k < 2; ++k)
                y[k] = a2[k] * (x[k] + out[k]) - in[k];
            in = {in[2], in[3], x[0], x[1]};
            out = {out[2], out[3], y[0], y[1]};
            return y;
        }
        Lanes stepTwo(const Lanes &x)
        {
            Lanes y;
            for (size_t k = 0; k < 4; ++k)
                y[k] = a2[k] * (x[k] + out[k]) - in[k];
            in = x;
            out = y;
            return y;
        }
    };

    // The band filter, the quarter-turn pair and the envelope.
    struct Chain {
        static constexpr double kSmoothing = 0.08; // one pole of 12 samples (0.27 ms)

        Biquad highPass1, highPass2, lowPass;
        std::array<QuarterTurnSection, 4> quarterTurn;
        double delayed = 0;
        double envelope = 0;

        double filtered(int16_t sample) { return lowPass.step(highPass2.step(highPass1.step(sample))); }
        double smoothed(double magnitude)
        {
            envelope += kSmoothing * (magnitude - envelope);
            return envelope;
        }
        double step(int16_t sample)
        {
            const double x = filtered(sample);
            QuarterTurnSection::Pair iq{x, x};
            for (QuarterTurnSection &section : quarterTurn)
                iq = section.step(iq);
            const double magnitude = std::sqrt(delayed * delayed + iq[1] * iq[1]);
            delayed = iq[0];
            return smoothed(magnitude);
        }
        // Two samples at once, exactly as step() one after the other.
        void stepTwo(const int16_t *samples, double *envelopes)
        {
            const double first = filtered(samples[0]), second = filtered(samples[1]);
            QuarterTurnSection::Lanes iq{first, first, second, second};
            for (QuarterTurnSection &section : quarterTurn)
                iq = section.stepTwo(iq);
            const double magnitudes[2] = {std::sqrt(delayed * delayed + iq[1] * iq[1]),
                                          std::sqrt(iq[0] * iq[0] + iq[3] * iq[3])};
            delayed = iq[2];
            envelopes[0] = smoothed(magnitudes[0]);
            envelopes[1] = smoothed(magnitudes[1]);
        }
        void flushTiny();
    };

    uint16_t scaled(double envelope) const
    {
        const double out = (envelope - quiet_) * gain_;
        return static_cast<uint16_t>(out <= 0 ? 0 : out >= 32768 ? 32768 : out);
    }
    // The newest envelope enters the look-ahead line, after lowering the gain if it would pass
    // full scale; the envelope that leaves the line is returned.
    double lookAhead(double envelope)
    {
        if ((envelope - quiet_) * gain_ > kCeiling)
            attack(envelope);
        const double leaving = ahead_[aheadAt_];
        ahead_[aheadAt_] = envelope;
        aheadAt_ = (aheadAt_ + 1) % kLookAhead;
        return leaving;
    }
    uint16_t settle(int16_t sample);
    void adapt();
    void attack(double envelope);

    static constexpr double kCeiling = 32767;

    Chain chain_;
    LevelTracker levels_;
    double quiet_ = 0;
    double gain_ = 0;
    double attackSpan_ = 0; // the span a louder sound asked for, released over seconds
    std::array<double, kLookAhead> ahead_{};
    size_t aheadAt_ = 0;
    int settling_ = 0;
};

} // namespace tamsel
