#pragma once
// Reaching a component's property by name: a registry of named properties per component
// class, each with its kind and its getter and setter. Lookups walk the class chain from
// the object's own class upwards and ignore the case of the name.
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

namespace tamsel {

// How a property's value is stored; None marks a property that exists but is never
// stored (a method, for example).
enum class TPropKind { None, Ordinal, String, Float, Object };

struct PropertyAccess {
    QString name;
    TPropKind kind = TPropKind::None;
    std::function<int32_t(const QObject *)> getOrd;
    std::function<void(QObject *, int32_t)> setOrd;
    std::function<QString(const QObject *)> getStr;
    std::function<void(QObject *, const QString &)> setStr;
    std::function<double(const QObject *)> getFloat;
    std::function<void(QObject *, double)> setFloat;
    std::function<QObject *(const QObject *)> getObject;
};

class PropertyRegistry {
public:
    // The registry of the program, holding the standard widget properties.
    static PropertyRegistry &Instance();

    void Register(const QMetaObject &cls, PropertyAccess access);
    const PropertyAccess *Find(const QObject *obj, const QString &name) const;
    // Every property reachable on obj, own class first; a name shadowed by a derived
    // class appears once.
    QList<const PropertyAccess *> PropertiesOf(const QObject *obj) const;

    // Typed helpers: T is the class the property is registered on.
    template <class T>
    void AddOrdinal(const QString &name, std::function<int32_t(const T *)> get,
                    std::function<void(T *, int32_t)> set)
    {
        PropertyAccess a = Named(name, TPropKind::Ordinal);
        a.getOrd = [get](const QObject *o) { return get(static_cast<const T *>(o)); };
        a.setOrd = [set](QObject *o, int32_t v) { set(static_cast<T *>(o), v); };
        Register(T::staticMetaObject, a);
    }
    template <class T>
    void AddString(const QString &name, std::function<QString(const T *)> get,
                   std::function<void(T *, const QString &)> set)
    {
        PropertyAccess a = Named(name, TPropKind::String);
        a.getStr = [get](const QObject *o) { return get(static_cast<const T *>(o)); };
        a.setStr = [set](QObject *o, const QString &v) { set(static_cast<T *>(o), v); };
        Register(T::staticMetaObject, a);
    }
    template <class T>
    void AddFloat(const QString &name, std::function<double(const T *)> get,
                  std::function<void(T *, double)> set)
    {
        PropertyAccess a = Named(name, TPropKind::Float);
        a.getFloat = [get](const QObject *o) { return get(static_cast<const T *>(o)); };
        a.setFloat = [set](QObject *o, double v) { set(static_cast<T *>(o), v); };
        Register(T::staticMetaObject, a);
    }
    template <class T> void AddObject(const QString &name, std::function<QObject *(const T *)> get)
    {
        PropertyAccess a = Named(name, TPropKind::Object);
        a.getObject = [get](const QObject *o) { return get(static_cast<const T *>(o)); };
        Register(T::staticMetaObject, a);
    }
    template <class T> void AddUnstored(const QString &name)
    {
        Register(T::staticMetaObject, Named(name, TPropKind::None));
    }

private:
    static PropertyAccess Named(const QString &name, TPropKind kind)
    {
        PropertyAccess a;
        a.name = name;
        a.kind = kind;
        return a;
    }

    // Per class, in registration order; a second registration of a name replaces the first.
    QHash<const QMetaObject *, QList<PropertyAccess>> classes_;
};

// The properties of the standard widgets and actions the windows store.
void RegisterStandardProperties(PropertyRegistry &registry);

} // namespace tamsel
