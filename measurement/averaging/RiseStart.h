#pragma once
// When a sub-event began, from where its averaged envelope crosses a low and a middle share of
// its height. The envelope's smoothing draws a sudden burst and a ring that swells over
// milliseconds differently: the burst's crossings lie close together and near its start, the
// swell's lie far apart and late by the smoothing's own delay. Both are told from the crossings'
// spacing, by the smoothing itself run on a swell of each length.
namespace tamsel::riseStart {

// The low share is as low as the template's noise allows (the lower, the less a swell's shape
// matters); the middle one is fixed.
inline constexpr double kLowShares[] = {0.08, 0.1, 0.12, 0.15, 0.2, 0.25};
inline constexpr double kMiddleShare = 0.4;

struct Rise {
    double start = 0; // envelope samples
    double swell = 0; // input samples the sub-event took to swell to its height: 0 for a burst
};

// The rise of a sub-event whose template crosses kLowShares[share] of its height at `low` and
// kMiddleShare at `middle` (envelope samples, between samples).
Rise from(int share, double low, double middle);

// How long after it struck (envelope samples) a burst crosses `share` of its height.
double burstCrossing(double share);

} // namespace tamsel::riseStart
