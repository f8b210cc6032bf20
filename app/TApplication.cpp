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
} // namespace

void SetMessageSink(std::function<void(const QString &)> sink)
{
    messageSink() = std::move(sink);
}

void ShowMessage(const QString &text)
{
    if (messageSink()) {
        messageSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void SetExceptionSink(std::function<void(const QString &)> sink)
{
    exceptionSink() = std::move(sink);
}

void ShowException(const QString &text)
{
    if (exceptionSink()) {
        exceptionSink()(text);
        return;
    }
    std::fprintf(stderr, "Quorlen: %s\n", text.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("Unknown error."));
    }
    return true;
}

} // namespace tamsel
