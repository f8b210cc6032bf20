#include "tools/OutputCheck.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/NewFile.h"
#include "files/TemporaryFile.h"

namespace tamsel {

QString recordFolderError(const QString &folder)
{
    const auto fail = [&folder](const QString &reason) {
        return QStringLiteral("--record %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(folder), reason);
    };
    // The system's own reason: "Not a directory" for a file, "Too many levels of symbolic links"
    // for a loop of links, "File name too long", "Permission denied".
    std::error_code failure;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, failure);
    if (!failure && !std::filesystem::is_directory(path, failure) && !failure)
        failure = std::make_error_code(std::errc::not_a_directory);
    if (failure)
        return fail(QString::fromStdString(failure.message()));
    // A folder that is there yet takes no new file (/proc, /sys) makes the system say "No such
    // file or directory", which would send the user looking for it.
    if (const int code = probeTemporary(QFile::encodeName(folder) + "/.quorlen-analyze"))
        return fail(code == ENOENT ? QStringLiteral("the folder takes no new files") : systemReason(code));
    return {};
}

} // namespace tamsel
