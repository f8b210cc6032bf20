#include "settings/SystemInfo.h"

#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QSysInfo>

namespace tamsel {

namespace {

// The value after "name:" on the first line that starts with name, trimmed.
std::optional<QString> Field(const QString &text, const QString &name)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int colon = int(line.indexOf(QLatin1Char(':')));
        if (colon < 0 || line.left(colon).trimmed() != name)
            continue;
        return line.mid(colon + 1).trimmed();
    }
    return std::nullopt;
}

std::optional<uint64_t> KiB(const QString &text, const QString &name)
{
    const auto value = Field(text, name);
    if (!value)
        return std::nullopt;
    // "23617184 kB"
    const QStringList parts = value->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qulonglong number = parts.front().toULongLong(&ok);
    return ok ? std::optional<uint64_t>(number) : std::nullopt;
}

QString ReadProcFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    // Files under /proc report size 0; readAll reads them to their end all the same.
    return QString::fromUtf8(file.readAll());
}

} // namespace

std::optional<uint64_t> AvailableMemoryKiB(const QString &meminfo)
{
    if (auto available = KiB(meminfo, QStringLiteral("MemAvailable")))
        return available;
    return KiB(meminfo, QStringLiteral("MemFree"));
}

QString ProcessorName(const QString &cpuinfo)
{
    for (const char *name : {"model name", "Hardware", "Processor"}) {
        const auto value = Field(cpuinfo, QString::fromLatin1(name));
        if (value && !value->isEmpty())
            return *value;
    }
    return QString();
}

QString ComposeSystemInfo(const QString &meminfo, const QString &cpuinfo)
{
    QStringList parts;
    if (const auto kib = AvailableMemoryKiB(meminfo))
        parts << QStringLiteral("Available memory: %1 MB").arg(QLocale().toString(qulonglong(*kib / 1024)));
    parts << QStringLiteral("Platform: %1 (kernel %2)")
                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion());
    QString processor = ProcessorName(cpuinfo);
    if (processor.isEmpty())
        processor = QSysInfo::currentCpuArchitecture();
    parts << QStringLiteral("Processor: %1").arg(processor);
    return parts.join(QStringLiteral("; "));
}

QString SystemInfoText()
{
    return ComposeSystemInfo(ReadProcFile(QStringLiteral("/proc/meminfo")),
                             ReadProcFile(QStringLiteral("/proc/cpuinfo")));
}

} // namespace tamsel
