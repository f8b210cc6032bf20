#pragma once
// The application object: an error raised in any handler ends that handler and is shown
// in the standard error message box; the event loop goes on.
#include <QApplication>

#include "support/Messages.h"

namespace tamsel {

class TApplication : public QApplication {
public:
    // From here on errors and messages no sink takes are shown in boxes.
    TApplication(int &argc, char **argv);
    ~TApplication() override;
    bool notify(QObject *receiver, QEvent *event) override;
};

// Answers every open modal dialog and message box with its cancel, ending its event loop.
void cancelModalDialogs();

} // namespace tamsel
