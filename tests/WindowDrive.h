#pragma once
// Driving the main window in tests: capture buffers from a synthetic watch, and actions
// done from inside a modal dialog's own event loop.
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "SyntheticWatch.h"
#include "WindowFixture.h"

namespace tamsel::test {

// Samples in one capture buffer of 22 048 bytes.
constexpr int kBufferSamples = 11024;

// Feeds a synthetic watch through the window, buffer by buffer, from sample `position` on.
struct WatchFeed {
    SyntheticWatch watch;
    int64_t position = 0;

    explicit WatchFeed(const WatchParams &params = {}) : watch(params) {}

    void buffers(Window &w, int count)
    {
        for (int i = 0; i < count; ++i) {
            w.deliver(watch.Samples(position, kBufferSamples));
            position += kBufferSamples;
        }
    }
    // Whole buffers until at least `samples` more have been delivered.
    void atLeast(Window &w, int64_t samples)
    {
        buffers(w, static_cast<int>((samples + kBufferSamples - 1) / kBufferSamples));
    }
};

// The buffers queued at the scripted service come back once, so that a switch of source can
// go on; then the new open's notification is handled.
inline void cycleBuffers(Window &w)
{
    for (int i = 0; i < 4; ++i)
        w.deliver(std::vector<int16_t>(kBufferSamples, 7));
    QCoreApplication::processEvents();
}

// Runs `action` once `dialog` is shown modally (from inside its event loop). A dialog still
// open after ten seconds is closed with the result 99, so a faulty handler cannot hang the run.
class WhileModal {
public:
    WhileModal(QDialog *dialog, std::function<void()> action) : dialog_(dialog), action_(std::move(action))
    {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (!dialog_->isVisible())
                return;
            poll_.stop();
            ran_ = true;
            action_();
        });
        poll_.start();
        guard_.setSingleShot(true);
        QObject::connect(&guard_, &QTimer::timeout, [this] {
            if (dialog_->isVisible())
                dialog_->done(99);
        });
        guard_.start(10000);
    }
    bool ran() const { return ran_; }

private:
    QDialog *dialog_;
    std::function<void()> action_;
    QTimer poll_, guard_;
    bool ran_ = false;
};

} // namespace tamsel::test
