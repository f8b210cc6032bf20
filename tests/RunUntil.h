#pragma once
// Runs the event loop until a condition holds or a time has passed, for tests whose events
// come from another thread or process (a sound server, a timer).
#include <QCoreApplication>
#include <QElapsedTimer>

namespace tamsel::test {

// True when `done` held in time.
template <typename Done> bool runUntil(Done done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace tamsel::test
