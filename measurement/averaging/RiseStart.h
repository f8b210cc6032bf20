#pragma once
// When a sub-event began, from where its averaged envelope crosses a low and a middle share of
// its height. The envelope's smoothing draws a sudden burst and a ring that swells over
// milliseconds differently: the burst's crossings lie close together and near its start, the
// swell's lie far apart and late by the smoothing's own delay. Both are told from the crossings'
// spacing, by the smoothing itself run on a swell of each length.
namespace tamsel::riseStart {

inline constexpr double kLowShare = 0.15, kMiddleShare = 0.5;

// The start, in envelope samples, of a sub-event whose template crosses kLowShare of its
// height at `low` and kMiddleShare at `middle` (envelope samples, between samples).
double from(double low, double middle);

} // namespace tamsel::riseStart
