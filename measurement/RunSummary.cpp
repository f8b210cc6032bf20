#include "measurement/RunSummary.h"

#include <algorithm>
#include <cmath>

#include "measurement/FormatPicture.h"

namespace tamsel {

void ValueStats::add(double value)
{
    ++count;
    mean += (value - mean) / static_cast<double>(count);
    min = count == 1 ? value : std::min(min, value);
    max = count == 1 ? value : std::max(max, value);
}

void IsochronismFit::add(double amplitude, double rate)
{
    ++count_;
    const double dx = amplitude - meanAmplitude_;
    meanAmplitude_ += dx / static_cast<double>(count_);
    meanRate_ += (rate - meanRate_) / static_cast<double>(count_);
    amplitudeSquares_ += dx * (amplitude - meanAmplitude_);
    coMoment_ += dx * (rate - meanRate_);
}

std::optional<double> IsochronismFit::slope() const
{
    // Amplitudes are whole degrees: less than that much spread is no spread.
    if (count_ < 2 || amplitudeSquares_ < 1e-9 * static_cast<double>(count_))
        return std::nullopt;
    return coMoment_ / amplitudeSquares_;
}

std::optional<double> IsochronismFit::rateAt(double amplitude) const
{
    const auto s = slope();
    if (!s)
        return std::nullopt;
    return meanRate_ + *s * (amplitude - meanAmplitude_);
}

std::optional<double> IsochronismFit::slopePer100() const
{
    const auto s = slope();
    if (!s)
        return std::nullopt;
    return *s * -100;
}

void RunSummary::add(const SweepPoint &point)
{
    if (rate_.count > 0) {
        const double step = point.seconds - last_;
        if (step > 0)
            shortestStep_ = shortestStep_ ? std::min(*shortestStep_, step) : step;
    } else {
        first_ = point.seconds;
    }
    last_ = point.seconds;
    rate_.add(point.rate);
    beatError_.add(point.beatError);
    if (!std::isnan(point.amplitude)) {
        amplitude_.add(point.amplitude);
        fit_.add(point.amplitude, point.rate);
    }
}

double RunSummary::seconds() const
{
    return rate_.count == 0 ? 0 : last_ - first_ + shortestStep_.value_or(0);
}

std::string RunSummary::line() const
{
    auto number = [](const char *picture, double value) { return FormatPicture(picture, value, "."); };
    auto known = [&](bool have, const char *picture, double value) {
        return have ? number(picture, value) : std::string();
    };
    const bool rates = rate_.count > 0;
    const bool amplitudes = amplitude_.count > 0;
    const auto slope = fit_.slopePer100();
    return "SUMMARY," + number("0", seconds()) + ',' + known(rates, "0.000", rate_.mean) + ',' +
           known(rates, "0.000", rate_.min) + ',' + known(rates, "0.000", rate_.max) + ',' +
           known(amplitudes, "0.0", amplitude_.mean) + ',' + known(amplitudes, "0.0", amplitude_.min) + ',' +
           known(amplitudes, "0.0", amplitude_.max) + ',' + known(rates, "0.000", beatError_.mean) + ',' +
           known(rates, "0.000", beatError_.max) + ',' + known(slope.has_value(), "0.00", slope.value_or(0));
}

} // namespace tamsel
