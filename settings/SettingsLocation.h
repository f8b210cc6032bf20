#pragma once
#include <QString>

namespace tamsel {

// The settings file: beside the executable and named after it when that folder is
// writable and not under /usr; otherwise the same name in the user's configuration folder
// (~/.config/Tamsel), since an installed program cannot, or must not, write beside itself.
QString settingsFilePath();
QString settingsFilePathFor(const QString &executablePath, const QString &configFolder);

} // namespace tamsel
