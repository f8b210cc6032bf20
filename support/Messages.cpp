#include "support/Messages.h"

#include <cstdio>
#include <exception>

namespace tamsel {

namespace {
using Sink = std::function<void(const QString &)>;
Sink &exceptionSink()
{
    static Sink sink;
    return sink;
}
Sink &messageSink()
{
    static Sink sink;
    return sink;
}
std::function<void(BoxKind, const QString &)> &boxes()
{
    static std::function<void(BoxKind, const QString &)> showBox;
    return showBox;
}
bool boxesEnded = false;

// The sink a tool or test set, else the window's box.
void show(const Sink &sink, BoxKind kind, const QString &text)
{
    if (sink) {
        sink(text);
        return;
    }
    if (boxesEnded || !boxes()) {
        if (kind != BoxKind::Error) // an error is on the stream already
            ReportException(text);
        return;
    }
    boxes()(kind, text);
}
} // namespace

void SetMessageBoxes(std::function<void(BoxKind, const QString &)> showBox)
{
    boxes() = std::move(showBox);
}

void SetMessageSink(std::function<void(const QString &)> sink)
{
    messageSink() = std::move(sink);
}

void ShowMessage(const QString &text)
{
    show(messageSink(), BoxKind::Message, text);
}

void EndMessageBoxes()
{
    boxesEnded = true;
}

void SetExceptionSink(std::function<void(const QString &)> sink)
{
    exceptionSink() = std::move(sink);
}

void ReportException(const QString &text)
{
    std::fprintf(stderr, "Quorlen: %s\n", text.toLocal8Bit().constData());
}

void ShowException(const QString &text)
{
    if (!exceptionSink())
        ReportException(text);
    show(exceptionSink(), BoxKind::Error, text);
}

bool DeliverShowingErrors(const std::function<bool()> &deliver)
{
    try {
        return deliver();
    } catch (const std::exception &e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown error."));
    }
    return true;
}

} // namespace tamsel
