#pragma once
// The program's version information: a compiled-in table that takes the place of an
// executable's version resource, read by key index with the resource reader's steps.
#include <QString>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tamsel {

// Raised when the version information has no translation table; the text is for the user.
class EVersionInfo : public std::runtime_error {
public:
    explicit EVersionInfo(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message)
    {}
    const QString &Message() const { return message_; }

private:
    QString message_;
};

// One string table, named by its language and code page ("041103A4").
struct VersionStringTable {
    QString languageCodePage;
    std::vector<std::pair<QString, QString>> strings; // key, value
};

// Everything an executable's version information holds that the reader looks at.
struct VersionTable {
    // Each entry: the language in the low 16 bits, the code page in the high 16 bits.
    std::vector<uint32_t> translations;
    std::vector<VersionStringTable> stringTables;
};

class VersionInfo {
public:
    static constexpr int KeyCount = 12;

    explicit VersionInfo(VersionTable table);

    // The running program's own version information.
    static const VersionInfo &Running();
    // The key a reader index addresses ("Comments" .. "SpecialBuild"); empty outside 0..11.
    static QString KeyName(int index);
    // "\StringFileInfo\<language><code page>\<key>" for a translation entry.
    static QString QueryPath(uint32_t translation, const QString &key);

    // Size of the information in bytes; 0 when there is none.
    uint32_t Size() const;
    // A value query by path: "\VarFileInfo\Translation" is not a string, so only string
    // paths ("\StringFileInfo\...\Key") yield text here.
    std::optional<QString> QueryString(const QString &path) const;
    const std::vector<uint32_t> &Translations() const { return table_.translations; }

    // The string of the key at index, or empty. Raises EVersionInfo when the information
    // exists but has no translation entry.
    QString Read(int index) const;

private:
    VersionTable table_;
};

// Read(index) on the running program's information.
QString ReadVersionString(int index);

} // namespace tamsel
