// Feeds arbitrary bytes to the settings reader and checks that what it writes back reads
// back to the same document.
#include "settings/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tamsel::IniDocument doc;
    doc.Parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &section : doc.SectionNames()) {
        for (const QString &line : doc.SectionLines(section)) {
            QString key;
            if (tamsel::IniDocument::SplitLine(line, &key, nullptr)) {
                doc.ReadInteger(section, key, 0);
                doc.ReadFloat(section, key, 0);
            }
        }
    }
    const QByteArray written = doc.ToBytes();
    tamsel::IniDocument again;
    again.Parse(written);
    if (again.ToBytes() != written)
        std::abort();
    return 0;
}
