#pragma once
// The settings file held in memory: sections of raw "key=value" lines, read whole and
// written whole. Section names and keys match without regard to case; comments and
// empty lines of a read file are not kept.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace tamsel {

class IniDocument {
public:
    enum class OpenResult { Read, Missing, Unreadable };

    // Replaces the content by the file's; a missing file leaves the document empty. An
    // unreadable one puts the system's reason in `reason` ("Is a directory").
    OpenResult LoadFile(const QString &path, QString *reason = nullptr);
    // Rewrites the file through a temporary file beside it, so the old file stays whole
    // when writing fails. False when the file cannot be created or written.
    bool SaveFile(const QString &path) const;

    void Parse(const QByteArray &bytes);
    // The whole file: "[name]", its lines, one empty line; every line ends with CR LF.
    QByteArray ToBytes() const;

    bool HasSection(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    std::optional<QString> Value(const QString &section, const QString &key) const;
    QString ReadString(const QString &section, const QString &key, const QString &def) const;
    int32_t ReadInteger(const QString &section, const QString &key, int32_t def) const;
    double ReadFloat(const QString &section, const QString &key, double def) const;

    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int32_t value);
    void WriteFloat(const QString &section, const QString &key, double value);
    void DeleteKey(const QString &section, const QString &key);
    // Removes every keyed line of the section; the section itself stays.
    void DeleteKeys(const QString &section);

    QStringList SectionNames() const;
    // The section's lines as stored (empty when there is no such section).
    QStringList SectionLines(const QString &section) const;

    // The key of a line is the text before its first "=", the value all after it.
    static bool SplitLine(const QString &line, QString *key, QString *value);
    // Decimal, or hexadecimal after "0x"/"0X"; surrounding blanks are allowed.
    static std::optional<int32_t> ParseInteger(const QString &text);
    // Uses the locale's decimal separator, as FormatFloat writes it.
    static std::optional<double> ParseFloat(const QString &text);
    static QString FormatFloat(double value);

private:
    struct Section {
        QString name;
        QStringList lines;
    };

    const Section *FindSection(const QString &name) const;
    Section *FindSection(const QString &name);
    static int FindLine(const Section &section, const QString &key);

    std::vector<Section> sections_;
};

} // namespace tamsel
