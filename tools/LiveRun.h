#pragma once
// quorlen-analyze --live: the window measuring a live source with nothing shown, until the
// --duration has passed or SIGINT or SIGTERM comes; the capture's health on standard error.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace tamsel {

class TForm1;

// "90", "90s", "30m", "24h" or "2d" in milliseconds; none for anything else (or nothing to wait).
std::optional<int64_t> durationMs(const QString &text);

// Calls `onEnd` once the run should end: after `ms` (none: no limit) or at the first
// SIGINT or SIGTERM, whichever comes first.
void endLiveRunOn(std::optional<int64_t> ms, QObject *context, const std::function<void()> &onEnd);

// Says on standard error what the window's status bar says about the capture (audio lost and
// filled with silence, the sound server lost, back again), as it changes; `onLoss` is called
// for each loss after the window has handled it.
void reportCaptureHealth(TForm1 &form, const std::function<void()> &onLoss,
                         const std::function<void(const QString &)> &say);

} // namespace tamsel
