#include "tools/ScopeFile.h"

#include <QDir>
#include <QFileInfo>

#include "display/BeatScopePlot.h"
#include "files/WholeFile.h"

namespace tamsel {

namespace {
const QSize kSize(1000, 700);

QString extension(const QString &path)
{
    return QFileInfo(path).suffix().toLower();
}
} // namespace

QString scopePathError(const QString &path)
{
    const QString type = extension(path);
    if (type != QLatin1String("svg") && type != QLatin1String("png") && type != QLatin1String("pdf"))
        return QStringLiteral("--scope needs a file name ending in .svg, .png or .pdf, not \"%1\"").arg(path);
    if (const QString reason = wholeFileError(path, LinkAtPath::Replace); !reason.isEmpty())
        return QStringLiteral("--scope %1 cannot be written: %2").arg(QDir::toNativeSeparators(path), reason);
    return {};
}

QString writeScope(const QString &path, const BeatScope &scope)
{
    const QByteArray bytes = BeatScopePlot::encode(scope, kSize, extension(path), BeatScopePlot::Options());
    if (bytes.isEmpty())
        return QStringLiteral("Cannot draw the beat scope %1").arg(QDir::toNativeSeparators(path));
    const QString error = writeWholeFile(path, bytes, LinkAtPath::Replace);
    if (!error.isEmpty())
        return QStringLiteral("Cannot write the beat scope %1: %2")
            .arg(QDir::toNativeSeparators(path), error);
    return {};
}

} // namespace tamsel
