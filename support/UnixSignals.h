#pragma once
// SIGTERM, SIGINT and SIGHUP become a close request of the main window, handled in the
// event loop like any other, so the capture winds down and everything is saved as usual.
#include <QObject>
#include <functional>

namespace tamsel {

// From here on a termination signal waits until an event loop hands it on, instead of ending
// the program unsaved: call it first thing in main.
void catchTerminationSignals();
// Calls `onSignal` from the event loop for each signal caught, earlier ones included.
void handleTerminationSignals(QObject *context, std::function<void(int signal)> onSignal);
// From here on a termination signal also points `fd` at /dev/null, there and then: a read of a
// stream that waits for data (a pipe whose writer has stalled) ends at once, as at the end of
// the stream, and the program ends with what it has. One descriptor at a time.
void endInputOnTermination(int fd);

} // namespace tamsel
