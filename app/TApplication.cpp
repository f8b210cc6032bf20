#include "app/TApplication.h"

#include <QMessageBox>
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
bool boxesEnded = false;

// The sink a tool or test set, else a box with an OK button and its own event loop.
void show(const Sink &sink, QMessageBox::Icon icon, const QString &text)
{
    if (sink) {
        sink(text);
        return;
    }
    if (boxesEnded) {
        if (icon != QMessageBox::Critical) // an error is on the stream already
            ReportException(text);
        return;
    }
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
} // namespace

void SetMessageSink(std::function<void(const QString &)> sink)
{
    messageSink() = std::move(sink);
}

void ShowMessage(const QString &text)
{
    show(messageSink(), QMessageBox::NoIcon, text);
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
    show(exceptionSink(), QMessageBox::Critical, text);
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

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

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    return DeliverShowingErrors([&] { return QApplication::notify(receiver, event); });
}

} // namespace tamsel
