#include "settings/PropertyRegistry.h"

namespace tamsel {

PropertyRegistry &PropertyRegistry::Instance()
{
    static PropertyRegistry *registry = [] {
        auto *r = new PropertyRegistry;
        RegisterStandardProperties(*r);
        return r;
    }();
    return *registry;
}

void PropertyRegistry::Register(const QMetaObject &cls, PropertyAccess access)
{
    QList<PropertyAccess> &list = classes_[&cls];
    for (PropertyAccess &existing : list) {
        if (existing.name.compare(access.name, Qt::CaseInsensitive) == 0) {
            existing = std::move(access);
            return;
        }
    }
    list.append(std::move(access));
}

const PropertyAccess *PropertyRegistry::Find(const QObject *obj, const QString &name) const
{
    if (!obj || name.isEmpty())
        return nullptr;
    for (const QMetaObject *cls = obj->metaObject(); cls; cls = cls->superClass()) {
        const auto it = classes_.constFind(cls);
        if (it == classes_.cend())
            continue;
        for (const PropertyAccess &access : *it)
            if (access.name.compare(name, Qt::CaseInsensitive) == 0)
                return &access;
    }
    return nullptr;
}

QList<const PropertyAccess *> PropertyRegistry::PropertiesOf(const QObject *obj) const
{
    QList<const PropertyAccess *> result;
    if (!obj)
        return result;
    for (const QMetaObject *cls = obj->metaObject(); cls; cls = cls->superClass()) {
        const auto it = classes_.constFind(cls);
        if (it == classes_.cend())
            continue;
        for (const PropertyAccess &access : *it)
            if (Find(obj, access.name) == &access)
                result.append(&access);
    }
    return result;
}

} // namespace tamsel
