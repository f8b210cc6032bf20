#pragma once
// Where errors and messages go: to the sink a tool or test set, else to the window's boxes
// (app/TApplication sets them), else to the standard error stream.
#include <QString>
#include <functional>

namespace tamsel {

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

// The box that shows a text no sink takes, and waits for it to be closed.
enum class BoxKind { Error, Message };
void SetMessageBoxes(std::function<void(BoxKind, const QString &)> showBox);

} // namespace tamsel
