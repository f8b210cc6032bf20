#pragma once
// The text description of an object's stored properties: the object is described as the
// property "Obj" of a wrapping component, one property per line, nested objects by path:
//   object TStreamingDummy
//     Obj.Size = 10
//     Obj.Name = 'Sans'#9'Serif'
//   end
#include <QObject>
#include <QStringList>

namespace tamsel {

namespace ObjectText {

QStringList Describe(const QObject &obj);
// Applies every line it understands; lines it does not (unknown property, bad value) are
// passed over, so a damaged description never stops the rest.
void Apply(QObject &obj, const QStringList &description);

QString QuoteString(const QString &text);
bool UnquoteString(const QString &text, QString *out);

} // namespace ObjectText

} // namespace tamsel
