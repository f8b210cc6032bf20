#pragma once
#include <QString>

namespace tamsel {

// The settings file: beside the executable and named after it when that folder is
// writable; otherwise the same name in the user's configuration folder (~/.config/Tamsel),
// since an installed program cannot write beside itself and its settings would be lost.
QString settingsFilePath();
QString settingsFilePathFor(const QString &executablePath, const QString &configFolder);

} // namespace tamsel
