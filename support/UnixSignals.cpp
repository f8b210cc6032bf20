#include "support/UnixSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tamsel {

namespace {
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t inputToEnd = -1;
volatile sig_atomic_t nullInput = -1;

// Only async-signal-safe work here: hand the number to the event loop, and end the input's
// waiting read (a read restarted after the signal finds /dev/null at its descriptor).
void onSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
    if (inputToEnd >= 0 && nullInput >= 0)
        ::dup2(nullInput, inputToEnd);
    errno = saved;
}
} // namespace

void catchTerminationSignals()
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void handleTerminationSignals(QObject *context, std::function<void(int signal)> handler)
{
    catchTerminationSignals();
    if (signalPipe[0] < 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) == 1)
            handler(byte);
    });
}

void endInputOnTermination(int fd)
{
    if (nullInput < 0)
        nullInput = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    inputToEnd = fd;
}

} // namespace tamsel
