#pragma once
// The application object: an error raised in any handler ends that handler and is shown
// in the standard error message box; the event loop goes on.
#include <QApplication>
#include <functional>

namespace tamsel {

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// Delivers an event; an error raised in its handler is shown (ShowException) and the event
// counts as handled.
bool DeliverShowingErrors(const std::function<bool()> &deliver);

// Shows an error text in the standard error message box (or hands it to the sink a test set).
void ShowException(const QString &text);
void SetExceptionSink(std::function<void(const QString &)> sink);
// Writes an error text to the standard error stream only, as ShowException also does.
void ReportException(const QString &text);
// Shows a message in a box with an OK button and waits for it to be closed (or hands it
// to the sink a tool set).
void ShowMessage(const QString &text);
void SetMessageSink(std::function<void(const QString &)> sink);
// The program is ending (a termination signal): no box waits for an answer from now on; its
// text goes to the standard error stream (or to the sink) only.
void EndMessageBoxes();

} // namespace tamsel
