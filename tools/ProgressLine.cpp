#include "tools/ProgressLine.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unistd.h>

#include "measurement/ClockText.h"

namespace tamsel {

namespace {

constexpr double kWorthShowing = 60; // seconds of audio
constexpr int kRedrawMs = 200;

std::string audioTime(double seconds)
{
    return clockText(std::lround(std::max(0.0, seconds)));
}

// "42 %  1:23 / 3:10"
std::string progressText(double doneSeconds, double totalSeconds)
{
    const double done = std::clamp(doneSeconds, 0.0, totalSeconds);
    const int percent = static_cast<int>(100 * done / totalSeconds);
    return std::to_string(percent) + " %  " + audioTime(done) + " / " + audioTime(totalSeconds);
}

} // namespace

ProgressLine::ProgressLine(std::FILE *out, double totalSeconds, std::function<double()> doneSeconds)
    : out_(out), total_(totalSeconds), done_(std::move(doneSeconds))
{
    if (total_ <= kWorthShowing || !isatty(fileno(out_)))
        return;
    QObject::connect(&timer_, &QTimer::timeout, [this] { draw(); });
    timer_.start(kRedrawMs);
    draw();
}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::draw()
{
    const std::string line = progressText(done_(), total_);
    // Blanks cover what is left of a longer line before.
    std::fprintf(out_, "\r%s%*s", line.c_str(),
                 static_cast<int>(shown_ > line.size() ? shown_ - line.size() : 0), "");
    std::fflush(out_);
    shown_ = std::max(shown_, line.size());
}

void ProgressLine::erase()
{
    if (shown_ == 0)
        return;
    std::fprintf(out_, "\r%*s\r", static_cast<int>(shown_), "");
    std::fflush(out_);
    shown_ = 0;
}

void ProgressLine::finish()
{
    timer_.stop();
    erase();
}

} // namespace tamsel
