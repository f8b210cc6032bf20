#pragma once
// The analyzer's application without a window: an error raised in an event handler (the live
// capture's retry or notifications) is said as the window says it, and the run goes on.
#include <exception>

#include "app/TApplication.h"

namespace tamsel {

template <typename Application> class HeadlessApplication : public Application {
public:
    using Application::Application;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return Application::notify(receiver, event);
        } catch (const std::exception &e) {
            ShowException(QString::fromUtf8(e.what()));
        } catch (...) {
            ShowException(QStringLiteral("Unknown error."));
        }
        return true;
    }
};

} // namespace tamsel
