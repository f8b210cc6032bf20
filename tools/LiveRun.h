#pragma once
// quorlen-analyze --live: the capture's buffers measured as they come, until the --duration has
// passed or SIGINT or SIGTERM comes; the capture's health on standard error.
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace tamsel {

class CaptureSession;
class RecordingAnalysis;

// "90", "90s", "30m", "24h" or "2d" in milliseconds; none for anything else (or nothing to wait).
std::optional<int64_t> durationMs(const QString &text);

// Calls `onEnd` once the run should end: after `ms` (none: no limit) or at the first
// SIGINT or SIGTERM, whichever comes first.
void endLiveRunOn(std::optional<int64_t> ms, QObject *context, const std::function<void()> &onEnd);

// The capture opened on `source` (empty: the server's default), each buffer it hands on
// measured whole; another source is a new measurement, a loss a restart. Errors, the failure
// to open included (without a sound server it is tried again every second), go to `sayError`;
// but a source the server does not have is returned, naming the sources it has, so that the
// run ends before its first sample.
QString measureCapture(CaptureSession &capture, const QString &source, RecordingAnalysis &analysis,
                       const std::function<void(const QString &)> &sayError);

// Says what the capture's note says (audio lost and filled with silence, the sound server
// lost, back again), as it changes; `onLoss` is called for each loss after its owner has
// handled it.
void reportCaptureHealth(CaptureSession &capture, const std::function<void()> &onLoss,
                         const std::function<void(const QString &)> &say);

} // namespace tamsel
