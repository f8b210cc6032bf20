#include "measurement/InputConditioner.h"
#include "measurement/WideLoops.h"

#include <algorithm>
#include <cmath>

namespace tamsel {

namespace {

constexpr double kSampleRate = 44100;
constexpr double kHighPassHz = 3000;
constexpr double kLowPassHz = 8000;
// Noise rises this far above the least block mean of its envelope now and then; all of it
// is taken off, so that the pauses between beats come out as zero.
constexpr double kQuietMargin = 1.5;
// After a louder sound the gain comes back with a time constant of four seconds (per block of
// 11.6 ms): the level trackers need two or three seconds to take in a watch moved closer.
const double kRelease = std::exp(-LevelTracker::kBlock / (4 * kSampleRate));

} // namespace

InputConditioner::InputConditioner()
{
    reset();
}

void InputConditioner::reset()
{
    chain_ = Chain();
    // A fourth-order Butterworth high-pass as two sections, then a second-order low-pass.
    chain_.highPass1 = Biquad::highPass(kHighPassHz, Biquad::kFourthOrderQ[0], kSampleRate);
    chain_.highPass2 = Biquad::highPass(kHighPassHz, Biquad::kFourthOrderQ[1], kSampleRate);
    chain_.lowPass = Biquad::lowPass(kLowPassHz, Biquad::kSecondOrderQ, kSampleRate);
    // Coefficients of a wide-band quarter-turn pair of all-pass chains (Niemitalo's design).
    const double inPhase[] = {0.6923878, 0.9360654322959, 0.9882295226860, 0.9987488452737};
    const double quadrature[] = {0.4021921162426, 0.8561710882420, 0.9722909545651, 0.9952884791278};
    for (size_t k = 0; k < chain_.quarterTurn.size(); ++k) {
        const double i = inPhase[k] * inPhase[k], q = quadrature[k] * quadrature[k];
        chain_.quarterTurn[k].a2 = {i, q, i, q};
    }
    levels_.reset();
    quiet_ = 0;
    gain_ = 0;
    attackSpan_ = 0;
    ahead_.fill(0);
    aheadAt_ = 0;
    settling_ = LevelTracker::kBlock;
}

TAMSEL_WIDE_LOOPS void InputConditioner::condition(const int16_t *samples, uint16_t *magnitudes, size_t count)
{
    size_t i = 0;
    for (; i < count && settling_ > 0; ++i)
        magnitudes[i] = settle(samples[i]);
    // In runs that end where a level block closes, as next() would go sample by sample: the
    // filters through the run on their own, their states kept in registers, then the levels
    // and the gain.
    std::array<double, LevelTracker::kBlock> envelopes;
    while (i < count) {
        const size_t run = std::min(count - i, static_cast<size_t>(levels_.untilBlockCloses()));
        Chain chain = chain_;
        size_t paired = 0;
        for (; paired + 2 <= run; paired += 2)
            chain.stepTwo(samples + i + paired, &envelopes[paired]);
        if (paired < run)
            envelopes[paired] = chain.step(samples[i + paired]);
        chain_ = chain;
        for (size_t k = 0; k < run; ++k) {
            if (levels_.add(envelopes[k]))
                adapt();
            magnitudes[i + k] = scaled(lookAhead(envelopes[k]));
        }
        i += run;
    }
}

// The first block gives silence while the filters and the levels find their footing: the
// filters start as if the first sample had always been there, so that the jump from nothing
// to a humming input does not ring.
uint16_t InputConditioner::settle(int16_t sample)
{
    if (settling_-- == LevelTracker::kBlock)
        chain_.highPass1.prime(sample);
    const double envelope = chain_.step(sample);
    if (levels_.add(envelope))
        adapt();
    lookAhead(envelope);
    return 0;
}

void InputConditioner::adapt()
{
    quiet_ = kQuietMargin * levels_.quiet();
    attackSpan_ *= kRelease;
    const double span = std::max({levels_.peak() - quiet_, quiet_, kLeastSpan, attackSpan_});
    gain_ = kTargetPeak / span;
    chain_.flushTiny();
}

// This envelope comes out at the target peak, and whatever follows it up to twice as loud
// fits without another change.
void InputConditioner::attack(double envelope)
{
    attackSpan_ = envelope - quiet_;
    gain_ = kTargetPeak / attackSpan_;
}

// States that decay into the denormal range would slow every sample of a silent input.
void InputConditioner::Chain::flushTiny()
{
    auto flush = [](double &x) {
        if (std::fabs(x) < 1e-20)
            x = 0;
    };
    for (Biquad *section : {&highPass1, &highPass2, &lowPass}) {
        flush(section->z1);
        flush(section->z2);
    }
    for (QuarterTurnSection &section : quarterTurn)
        for (size_t k = 0; k < 4; ++k) {
            flush(section.in[k]);
            flush(section.out[k]);
        }
    flush(delayed);
    flush(envelope);
}

} // namespace tamsel
