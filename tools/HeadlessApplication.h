#pragma once
// The analyzer's application without a window: an error raised in an event handler (the live
// capture's retry or notifications) is said as the window says it, and the run goes on.
#include "support/Messages.h"

namespace tamsel {

template <typename Application> class HeadlessApplication : public Application {
public:
    using Application::Application;

    bool notify(QObject *receiver, QEvent *event) override
    {
        return DeliverShowingErrors([&] { return Application::notify(receiver, event); });
    }
};

} // namespace tamsel
