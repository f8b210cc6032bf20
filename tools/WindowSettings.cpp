#include "tools/WindowSettings.h"

#include <QFile>

#include "app/RangedOption.h"

namespace tamsel {

WindowSettings::WindowSettings(const QByteArray &text)
{
    design_.settingsFile = dir_.filePath(QStringLiteral("Quorlen.ini"));
    QFile file(design_.settingsFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        commandLineError(QStringLiteral("cannot write a settings file in %1").arg(dir_.path()));
}

} // namespace tamsel
