#include "settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace tamsel {

QString settingsFilePathFor(const QString &executablePath, const QString &configFolder)
{
    const QFileInfo exe(executablePath);
    const QString name = exe.completeBaseName() + QStringLiteral(".ini");
    // What lies under /usr belongs to the package manager, even when root could write there.
    const bool installed = exe.path().startsWith(QLatin1String("/usr/"));
    if (!installed && access(QFile::encodeName(exe.path()).constData(), W_OK) == 0)
        return exe.path() + QLatin1Char('/') + name;
    QDir().mkpath(configFolder);
    return configFolder + QLatin1Char('/') + name;
}

QString settingsFilePath()
{
    return settingsFilePathFor(QCoreApplication::applicationFilePath(),
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                   QStringLiteral("/Tamsel"));
}

} // namespace tamsel
