#include "settings/TProp.h"

#include "settings/TProps.h"

namespace tamsel {

void TProp::SetCompo(QObject *compo)
{
    if (compo_ == compo)
        return;
    compo_ = compo;
    if (compo && !PropertyRegistry::Instance().Find(compo, propName_))
        propName_.clear();
    Rework();
}

void TProp::SetPropName(const QString &name)
{
    if (propName_ == name)
        return;
    propName_ = name;
    Rework();
}

void TProp::SetSectionName(const QString &name)
{
    if (sectionName_ == name)
        return;
    sectionName_ = name;
    Rework();
}

void TProp::SetKeyName(const QString &name)
{
    if (keyName_ == name)
        return;
    keyName_ = name;
    Rework();
}

void TProp::Assign(const TProp &source)
{
    SetCompo(source.Compo());
    SetPropName(source.PropName());
    SetSectionName(source.SectionName());
    SetKeyName(source.KeyName());
    SetEnabled(source.Enabled());
}

bool TProp::IsValid() const
{
    return enabled_ && Access() != nullptr;
}

const PropertyAccess *TProp::Access() const
{
    if (!compo_ || propName_.isEmpty())
        return nullptr;
    return PropertyRegistry::Instance().Find(compo_.data(), propName_);
}

QString TProp::EffectiveSection() const
{
    if (!sectionName_.isEmpty())
        return sectionName_;
    if (!compo_)
        return QString();
    const QString name = compo_->objectName();
    return name.isEmpty() ? QString::fromLatin1(compo_->metaObject()->className()) : name;
}

QString TProp::EffectiveKey() const
{
    if (!workedKey_.isEmpty())
        return workedKey_;
    return keyName_.isEmpty() ? propName_ : keyName_;
}

QString TProp::DisplayName() const
{
    if (!compo_ || propName_.isEmpty())
        return QStringLiteral("TProp");
    return compo_->objectName() + u'.' + propName_;
}

bool TProp::Uses(const QString &section, const QString &key) const
{
    return IsValid() && EffectiveSection().compare(section, Qt::CaseInsensitive) == 0 &&
           EffectiveKey().compare(key, Qt::CaseInsensitive) == 0;
}

void TProp::Rework()
{
    workedKey_.clear();
    kind_ = TPropKind::None;
    const PropertyAccess *access = IsValid() ? Access() : nullptr;
    if (!access || access->kind == TPropKind::None)
        return;
    kind_ = access->kind;

    const QString base = keyName_.isEmpty() ? propName_ : keyName_;
    const QString section = EffectiveSection();
    QString candidate = base;
    auto taken = [&] {
        if (!collection_)
            return false;
        for (const TProp *other : *collection_)
            if (other != this && other->Uses(section, candidate))
                return true;
        return false;
    };
    for (int n = 1; taken(); ++n)
        candidate = base + QString::number(n);
    workedKey_ = candidate;
}

} // namespace tamsel
