#include "settings/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "files/WholeFile.h"

namespace tamsel {

namespace {

// The file's text. An editor may have saved it as UTF-16, with its byte-order mark or without
// (then its first character, ASCII, shows a NUL byte beside it); or as UTF-8 with a mark. Each is
// read as what it is, and written back as UTF-8.
QString decodedText(const QByteArray &bytes)
{
    const auto utf16 = [&bytes](QStringConverter::Encoding encoding, qsizetype mark) {
        return QStringDecoder(encoding)(bytes.mid(mark)).operator QString();
    };
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringConverter::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringConverter::Utf16BE, 2);
    if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0')
        return utf16(QStringConverter::Utf16LE, 0);
    if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0')
        return utf16(QStringConverter::Utf16BE, 0);
    return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

} // namespace

IniDocument::OpenResult IniDocument::LoadFile(const QString &path, QString *reason)
{
    sections_.clear();
    QFile file(path);
    if (!file.exists())
        return OpenResult::Missing;
    const auto unreadable = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return OpenResult::Unreadable;
    };
    if (QFileInfo(path).isDir())
        return unreadable(QString::fromLocal8Bit(std::strerror(EISDIR)));
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    Parse(bytes);
    return OpenResult::Read;
}

bool IniDocument::SaveFile(const QString &path) const
{
    return writeWholeFile(path, ToBytes()).isEmpty();
}

void IniDocument::Parse(const QByteArray &bytes)
{
    sections_.clear();
    // A NUL is no settings text; kept, it would make the file written back look like UTF-16.
    const QString text = decodedText(bytes).remove(QChar(u'\0'));
    Section *current = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QString line = text.mid(start, end - start);
        // CR LF, LF and a lone CR all end a line.
        if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n')
            ++end;
        start = end + 1;

        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.size() >= 2 && line.startsWith(u'[') && line.endsWith(u']')) {
            sections_.push_back({line.mid(1, line.size() - 2), {}});
            current = &sections_.back();
        } else if (current) {
            current->lines.append(line);
        }
    }
}

QByteArray IniDocument::ToBytes() const
{
    QByteArray out;
    for (const Section &section : sections_) {
        out += '[' + section.name.toUtf8() + "]\r\n";
        for (const QString &line : section.lines)
            out += line.toUtf8() + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool IniDocument::HasSection(const QString &section) const
{
    return FindSection(section) != nullptr;
}

bool IniDocument::ValueExists(const QString &section, const QString &key) const
{
    return Value(section, key).has_value();
}

std::optional<QString> IniDocument::Value(const QString &section, const QString &key) const
{
    const Section *found = FindSection(section);
    if (!found)
        return std::nullopt;
    const int index = FindLine(*found, key);
    if (index < 0)
        return std::nullopt;
    QString value;
    SplitLine(found->lines[index], nullptr, &value);
    return value;
}

QString IniDocument::ReadString(const QString &section, const QString &key, const QString &def) const
{
    return Value(section, key).value_or(def);
}

int32_t IniDocument::ReadInteger(const QString &section, const QString &key, int32_t def) const
{
    const std::optional<QString> text = Value(section, key);
    return text ? ParseInteger(*text).value_or(def) : def;
}

double IniDocument::ReadFloat(const QString &section, const QString &key, double def) const
{
    const std::optional<QString> text = Value(section, key);
    return text ? ParseFloat(*text).value_or(def) : def;
}

void IniDocument::WriteString(const QString &section, const QString &key, const QString &value)
{
    Section *found = FindSection(section);
    if (!found) {
        sections_.push_back({section, {}});
        found = &sections_.back();
    }
    const QString line = key + u'=' + value;
    const int index = FindLine(*found, key);
    if (index >= 0)
        found->lines[index] = line;
    else
        found->lines.append(line);
}

void IniDocument::WriteInteger(const QString &section, const QString &key, int32_t value)
{
    WriteString(section, key, QString::number(value));
}

void IniDocument::WriteFloat(const QString &section, const QString &key, double value)
{
    WriteString(section, key, FormatFloat(value));
}

void IniDocument::DeleteKey(const QString &section, const QString &key)
{
    Section *found = FindSection(section);
    if (!found)
        return;
    const int index = FindLine(*found, key);
    if (index >= 0)
        found->lines.removeAt(index);
}

void IniDocument::DeleteKeys(const QString &section)
{
    Section *found = FindSection(section);
    if (!found)
        return;
    found->lines.removeIf([](const QString &line) {
        QString key;
        return SplitLine(line, &key, nullptr) && !key.isEmpty();
    });
}

QStringList IniDocument::SectionNames() const
{
    QStringList names;
    for (const Section &section : sections_)
        names.append(section.name);
    return names;
}

QStringList IniDocument::SectionLines(const QString &section) const
{
    const Section *found = FindSection(section);
    return found ? found->lines : QStringList();
}

bool IniDocument::SplitLine(const QString &line, QString *key, QString *value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    if (key)
        *key = line.left(eq);
    if (value)
        *value = line.mid(eq + 1);
    return true;
}

std::optional<int32_t> IniDocument::ParseInteger(const QString &text)
{
    const QString t = text.trimmed();
    bool ok = false;
    if (t.size() > 2 && (t.startsWith(QLatin1String("0x")) || t.startsWith(QLatin1String("0X")))) {
        const QStringView digits = QStringView(t).mid(2);
        // At most 32 bits; the top bit makes the number negative, as a signed 32-bit word.
        if (digits.size() > 8)
            return std::nullopt;
        for (QChar c : digits)
            if (!isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7f)
                return std::nullopt;
        const uint32_t bits = digits.toUInt(&ok, 16);
        return ok ? std::optional<int32_t>(static_cast<int32_t>(bits)) : std::nullopt;
    }
    const int value = t.toInt(&ok, 10);
    return ok ? std::optional<int32_t>(value) : std::nullopt;
}

std::optional<double> IniDocument::ParseFloat(const QString &text)
{
    QString t = text.trimmed();
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String(".")) {
        if (t.contains(u'.'))
            return std::nullopt;
        t.replace(point, QLatin1String("."));
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString IniDocument::FormatFloat(double value)
{
    QString text = QString::number(value, 'g', 15);
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(u'.', point);
    return text;
}

const IniDocument::Section *IniDocument::FindSection(const QString &name) const
{
    for (const Section &section : sections_)
        if (section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    return nullptr;
}

IniDocument::Section *IniDocument::FindSection(const QString &name)
{
    return const_cast<Section *>(static_cast<const IniDocument *>(this)->FindSection(name));
}

int IniDocument::FindLine(const Section &section, const QString &key)
{
    for (int i = 0; i < section.lines.size(); ++i) {
        QString lineKey;
        if (SplitLine(section.lines[i], &lineKey, nullptr) && lineKey.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace tamsel
