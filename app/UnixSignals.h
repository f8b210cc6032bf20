#pragma once
// SIGTERM, SIGINT and SIGHUP become a close request of the main window, handled in the
// event loop like any other, so the capture winds down and everything is saved as usual.
#include <QObject>
#include <functional>

namespace tamsel {

// Calls `onSignal` from the event loop for each signal received.
void handleTerminationSignals(QObject *context, std::function<void(int signal)> onSignal);

} // namespace tamsel
