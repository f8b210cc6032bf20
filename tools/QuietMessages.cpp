#include "tools/QuietMessages.h"

#include <QString>
#include <QtGlobal>
#include <cstring>

namespace tamsel {

namespace {

QtMessageHandler qtHandler = nullptr;

// Whether a message is only the platform's chatter.
bool isPlatformChatter(QtMsgType type, const char *category, const QString &text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        return false;
    if (category && std::strncmp(category, "qt.qpa.", 7) == 0)
        return true;
    // The offscreen platform has no window manager to pass hints to.
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return true;
    // Without a login session there is no runtime folder; the analyzer does not need one.
    return text.startsWith(QLatin1String("QStandardPaths: ")) &&
           (text.contains(QLatin1String("XDG_RUNTIME_DIR")) ||
            text.contains(QLatin1String("runtime directory")));
}

void handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!isPlatformChatter(type, context.category, text))
        qtHandler(type, context, text);
}

} // namespace

void quietPlatformMessages()
{
    qtHandler = qInstallMessageHandler(handle);
}

} // namespace tamsel
