#include "settings/VersionInfo.h"

#include <QStringList>

#include <array>

namespace tamsel {

namespace {

const std::array<const char *, VersionInfo::KeyCount> keyNames = {
    "Comments",     "CompanyName",    "FileDescription", "FileVersion",
    "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
    "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild",
};

// Japanese (0x0411) in code page 932 (0x03A4), as the program has always declared.
constexpr uint32_t runningTranslation = 0x0411u | (0x03A4u << 16);

VersionTable RunningTable()
{
    VersionStringTable strings{QStringLiteral("041103A4"),
                               {
                                   {"Comments", ""},
                                   {"CompanyName", "Tamsel developers"},
                                   {"FileDescription", ""},
                                   {"FileVersion", "2.0.2.6"},
                                   {"InternalName", "Quorlen"},
                                   {"LegalCopyright", "Copyright (C) 2026 Tamsel developers"},
                                   {"LegalTrademarks", QString::fromUtf8("タムセル")},
                                   {"OriginalFilename", "quorlen"},
                                   {"ProductName", QString::fromUtf8("タムセル")},
                                   {"ProductVersion", "2.0"},
                               }};
    return VersionTable{{runningTranslation}, {strings}};
}

QString Hex4(uint32_t value)
{
    return QStringLiteral("%1").arg(value & 0xFFFFu, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

VersionInfo::VersionInfo(VersionTable table) : table_(std::move(table)) {}

const VersionInfo &VersionInfo::Running()
{
    static const VersionInfo running(RunningTable());
    return running;
}

QString VersionInfo::KeyName(int index)
{
    if (index < 0 || index >= KeyCount)
        return QString();
    return QString::fromLatin1(keyNames[static_cast<size_t>(index)]);
}

QString VersionInfo::QueryPath(uint32_t translation, const QString &key)
{
    return QStringLiteral("\\StringFileInfo\\") + Hex4(translation) + Hex4(translation >> 16) +
           QStringLiteral("\\") + key;
}

uint32_t VersionInfo::Size() const
{
    // Counted as the resource would store it: 4 bytes a translation, UTF-16 texts.
    uint64_t size = 4 * uint64_t(table_.translations.size());
    for (const auto &stringTable : table_.stringTables) {
        size += 2 * uint64_t(stringTable.languageCodePage.size());
        for (const auto &[key, value] : stringTable.strings)
            size += 2 * uint64_t(key.size() + value.size() + 2);
    }
    return size > UINT32_MAX ? UINT32_MAX : uint32_t(size);
}

std::optional<QString> VersionInfo::QueryString(const QString &path) const
{
    // The block names of the resource compare without regard to case.
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts[0].compare(QLatin1String("StringFileInfo"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    for (const auto &stringTable : table_.stringTables) {
        if (stringTable.languageCodePage.compare(parts[1], Qt::CaseInsensitive) != 0)
            continue;
        for (const auto &[key, value] : stringTable.strings)
            if (key.compare(parts[2], Qt::CaseInsensitive) == 0)
                return value;
    }
    return std::nullopt;
}

QString VersionInfo::Read(int index) const
{
    if (Size() == 0)
        return QString();
    if (table_.translations.empty())
        throw EVersionInfo(QString::fromUtf8("情報の取得に失敗しました"));
    const QString key = KeyName(index);
    if (key.isEmpty())
        return QString();
    return QueryString(QueryPath(table_.translations.front(), key)).value_or(QString());
}

QString ReadVersionString(int index)
{
    return VersionInfo::Running().Read(index);
}

} // namespace tamsel
