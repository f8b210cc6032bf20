#pragma once
// The system information line of the about box: available memory, platform, processor.
#include <QString>

#include <cstdint>
#include <optional>

namespace tamsel {

// Available memory in KiB from the text of /proc/meminfo ("MemAvailable", or "MemFree"
// on kernels that do not report the former); nothing when neither is readable.
std::optional<uint64_t> AvailableMemoryKiB(const QString &meminfo);

// The processor's name from the text of /proc/cpuinfo ("model name", else "Hardware" or
// "Processor"); empty when none is there.
QString ProcessorName(const QString &cpuinfo);

// The line itself, composed from the texts given; parts that cannot be read are left out
// or fall back to what Qt knows about the system.
QString ComposeSystemInfo(const QString &meminfo, const QString &cpuinfo);

// ComposeSystemInfo over this machine's /proc files.
QString SystemInfoText();

} // namespace tamsel
