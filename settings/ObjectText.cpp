#include "settings/ObjectText.h"

#include "settings/IniDocument.h"
#include "settings/PropertyRegistry.h"

#include <QLocale>

namespace tamsel::ObjectText {

namespace {

const QString kFirstLine = QStringLiteral("object TStreamingDummy");
const QString kLastLine = QStringLiteral("end");
const QString kRoot = QStringLiteral("Obj");
const QString kAssign = QStringLiteral(" = ");
// Nested objects deeper than this are not described; it also stops reference cycles.
constexpr int kMaxDepth = 8;

void DescribeInto(const QObject &obj, const QString &path, int depth, QStringList &lines)
{
    for (const PropertyAccess *p : PropertyRegistry::Instance().PropertiesOf(&obj)) {
        const QString name = path + u'.' + p->name;
        switch (p->kind) {
        case TPropKind::Ordinal:
            lines.append(QStringLiteral("  ") + name + kAssign + QString::number(p->getOrd(&obj)));
            break;
        case TPropKind::String:
            lines.append(QStringLiteral("  ") + name + kAssign + QuoteString(p->getStr(&obj)));
            break;
        case TPropKind::Float:
            lines.append(QStringLiteral("  ") + name + kAssign + QString::number(p->getFloat(&obj), 'g', 17));
            break;
        case TPropKind::Object:
            if (const QObject *inner = p->getObject(&obj); inner && inner != &obj && depth < kMaxDepth)
                DescribeInto(*inner, name, depth + 1, lines);
            break;
        case TPropKind::None: break;
        }
    }
}

void ApplyLine(QObject &root, const QString &line)
{
    const QString text = line.trimmed();
    const qsizetype assign = text.indexOf(kAssign);
    if (assign < 0)
        return;
    const QStringList path = text.left(assign).split(u'.');
    const QString value = text.mid(assign + kAssign.size()).trimmed();
    if (path.size() < 2 || path.first() != kRoot)
        return;

    QObject *target = &root;
    for (qsizetype i = 1; i + 1 < path.size(); ++i) {
        const PropertyAccess *p = PropertyRegistry::Instance().Find(target, path[i]);
        if (!p || p->kind != TPropKind::Object || !(target = p->getObject(target)))
            return;
    }
    const PropertyAccess *p = PropertyRegistry::Instance().Find(target, path.last());
    if (!p)
        return;
    if (p->kind == TPropKind::Ordinal) {
        if (const auto v = IniDocument::ParseInteger(value))
            p->setOrd(target, *v);
    } else if (p->kind == TPropKind::Float) {
        bool ok = false;
        const double v = QLocale::c().toDouble(value, &ok);
        if (ok)
            p->setFloat(target, v);
    } else if (p->kind == TPropKind::String) {
        QString s;
        if (UnquoteString(value, &s))
            p->setStr(target, s);
    }
}

} // namespace

QStringList Describe(const QObject &obj)
{
    QStringList lines{kFirstLine};
    DescribeInto(obj, kRoot, 0, lines);
    lines.append(kLastLine);
    return lines;
}

void Apply(QObject &obj, const QStringList &description)
{
    if (description.size() < 2 || description.first().trimmed() != kFirstLine ||
        description.last().trimmed() != kLastLine)
        return;
    for (qsizetype i = 1; i + 1 < description.size(); ++i)
        ApplyLine(obj, description[i]);
}

// Printable runs in single quotes (a quote doubled), control characters as #code, so a
// value never spans lines.
QString QuoteString(const QString &text)
{
    QString out;
    bool open = false;
    for (QChar c : text) {
        if (c.unicode() < 0x20) {
            if (open)
                out += u'\'';
            open = false;
            out += u'#' + QString::number(c.unicode());
            continue;
        }
        if (!open)
            out += u'\'';
        open = true;
        out += c;
        if (c == u'\'')
            out += c;
    }
    if (open)
        out += u'\'';
    return out.isEmpty() ? QStringLiteral("''") : out;
}

bool UnquoteString(const QString &text, QString *out)
{
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u'\'') {
            ++i;
            for (;;) {
                if (i >= text.size())
                    return false;
                if (text[i] == u'\'') {
                    if (i + 1 < text.size() && text[i + 1] == u'\'') {
                        result += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                result += text[i++];
            }
        } else if (text[i] == u'#') {
            qsizetype j = ++i;
            while (j < text.size() && text[j].isDigit() && j - i < 5)
                ++j;
            bool ok = false;
            const uint code = QStringView(text).mid(i, j - i).toUInt(&ok);
            if (!ok || code > 0xFFFF)
                return false;
            result += QChar(char16_t(code));
            i = j;
        } else {
            return false;
        }
    }
    *out = result;
    return true;
}

} // namespace tamsel::ObjectText
