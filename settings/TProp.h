#pragma once
// One entry of the persistence component: a component, one of its properties, and the
// section and key the value is stored under.
#include "settings/PropertyRegistry.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tamsel {

class TProps;

class TProp {
public:
    explicit TProp(TProps *collection) : collection_(collection) {}

    // A destroyed component clears itself here, which makes the entry invalid.
    QObject *Compo() const { return compo_.data(); }
    void SetCompo(QObject *compo);
    const QString &PropName() const { return propName_; }
    void SetPropName(const QString &name);
    const QString &SectionName() const { return sectionName_; }
    void SetSectionName(const QString &name);
    const QString &KeyName() const { return keyName_; }
    void SetKeyName(const QString &name);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }

    // Copies the four names through their setters, then Enabled.
    void Assign(const TProp &source);

    bool IsValid() const;
    TPropKind Kind() const { return kind_; }
    QString EffectiveSection() const;
    QString EffectiveKey() const;
    QString DisplayName() const;
    // The property as the registry gives it; null when the entry is not valid.
    const PropertyAccess *Access() const;

private:
    // Works out the kind and the numbered key; other entries are not reworked.
    void Rework();
    bool Uses(const QString &section, const QString &key) const;

    TProps *collection_;
    QPointer<QObject> compo_;
    QString propName_;
    QString sectionName_;
    QString keyName_;
    bool enabled_ = true;
    QString workedKey_;
    TPropKind kind_ = TPropKind::None;
};

} // namespace tamsel
