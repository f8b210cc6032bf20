#include "settings/TProps.h"

namespace tamsel {

TProp *TProps::Add()
{
    items_.push_back(std::make_unique<TProp>(this));
    return items_.back().get();
}

TProp *TProps::Add(QObject *compo, const QString &propName, const QString &sectionName,
                   const QString &keyName, bool enabled)
{
    TProp *prop = Add();
    prop->SetCompo(compo);
    prop->SetPropName(propName);
    prop->SetSectionName(sectionName);
    prop->SetKeyName(keyName);
    prop->SetEnabled(enabled);
    return prop;
}

void TProps::Delete(int index)
{
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

QString TProps::ColumnTitle(int column)
{
    switch (column) {
    case 0: return QStringLiteral("Property");
    case 1: return QStringLiteral("Section");
    case 2: return QStringLiteral("Key");
    default: return QString();
    }
}

QString TProps::ColumnText(int index, int column) const
{
    if (index < 0 || index >= Count())
        return QString();
    const TProp *prop = Items(index);
    switch (column) {
    case 0: return prop->DisplayName();
    case 1: return prop->EffectiveSection();
    case 2: return prop->EffectiveKey();
    default: return QString();
    }
}

} // namespace tamsel
