#pragma once
// A one-line progress indicator for a long run watched on a terminal: the percent and the
// audio time done, redrawn in place a few times a second and erased at the end.
#include <QTimer>
#include <cstdio>
#include <functional>

namespace tamsel {

class ProgressLine {
public:
    // Shown on `out` only when it is a terminal and the recording lasts longer than a minute.
    ProgressLine(std::FILE *out, double totalSeconds, std::function<double()> doneSeconds);
    ~ProgressLine();
    ProgressLine(const ProgressLine &) = delete;
    ProgressLine &operator=(const ProgressLine &) = delete;

    // Takes the line away, before other text goes to the terminal; the next tick draws it again.
    void erase();
    // Stops drawing for good and takes the line away.
    void finish();

private:
    void draw();

    std::FILE *out_;
    double total_;
    std::function<double()> done_;
    QTimer timer_;
    size_t shown_ = 0; // characters on the line now
};

} // namespace tamsel
