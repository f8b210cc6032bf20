#include "settings/TCustomSaveProps.h"

#include "settings/ESaveProps.h"
#include "settings/WindowPlacement.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPlatformSurfaceEvent>
#include <QWidget>

namespace tamsel {

namespace {

const QString kPlacementSection = QStringLiteral("WindowPlacement");

// Runs body; on failure runs cleanup before the failure passes on, else runs it after.
template <class Body, class Cleanup> void Guarded(Body body, Cleanup cleanup)
{
    try {
        body();
    } catch (...) {
        try {
            cleanup();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
    cleanup();
}

} // namespace

TCustomSaveProps::TCustomSaveProps(QObject *owner) : QObject(owner), owner_(owner), props_(this)
{
    OnHookError = [](const QString &message) {
        QMessageBox::critical(nullptr, QCoreApplication::applicationName(), message);
    };
    SetAutoSave(true);
}

TCustomSaveProps::~TCustomSaveProps()
{
    RemoveHook();
}

void TCustomSaveProps::SetAutoSave(bool value)
{
    autoSave_ = value;
    if (value)
        InstallHook();
    else
        RemoveHook();
}

void TCustomSaveProps::SetRestorePlacement(TRestorePlacement value)
{
    if (value.Contains(TRestoreKind::Enabled) && !OwnerForm())
        throw ESaveProps(QStringLiteral("Owner が TForm でないと設定できません"));
    restorePlacement_ = value;
}

QWidget *TCustomSaveProps::OwnerForm() const
{
    auto *widget = qobject_cast<QWidget *>(owner_);
    return widget && widget->isWindow() ? widget : nullptr;
}

void TCustomSaveProps::Loaded()
{
    if (autoLoad_)
        Load();
}

void TCustomSaveProps::Load()
{
    if (OnBeforeLoad) {
        try {
            OnBeforeLoad(this);
        } catch (...) {
            // A failing preparation must not keep the stored values from loading.
        }
    }
    BeginRead();
    loading_ = true;
    Guarded(
        [this] {
            LoadEntries();
            if (OnFindOrdValue || OnFindStrValue)
                for (const QString &section : QStringList(findKeys_))
                    FindValues(section);
            if (restorePlacement_.Contains(TRestoreKind::Enabled))
                LoadPlacement();
            if (OnAfterLoad)
                OnAfterLoad(this);
        },
        [this] {
            loading_ = false;
            EndRead();
        });
}

void TCustomSaveProps::LoadEntries()
{
    for (TProp *prop : props_) {
        const PropertyAccess *access = prop->IsValid() ? prop->Access() : nullptr;
        if (!access)
            continue;
        QObject *compo = prop->Compo();
        const QString section = prop->EffectiveSection();
        const QString key = prop->EffectiveKey();
        switch (prop->Kind()) {
        case TPropKind::Ordinal:
            if (ValueExists(section, key))
                access->setOrd(compo, ReadOrdValue(section, key));
            break;
        case TPropKind::String:
            if (ValueExists(section, key))
                access->setStr(compo, ReadStrValue(section, key));
            break;
        case TPropKind::Float:
            if (ValueExists(section, key))
                access->setFloat(compo, ReadFloatValue(section, key));
            break;
        case TPropKind::Object:
            if (QObject *obj = access->getObject(compo))
                ReadObjectValue(section, key, obj);
            break;
        case TPropKind::None: break;
        }
    }
}

QString TCustomSaveProps::PlacementKey(const char *suffix) const
{
    return owner_->objectName() + QLatin1String(suffix);
}

void TCustomSaveProps::LoadPlacement()
{
    QWidget *form = OwnerForm();
    if (!form)
        return;
    static const char *const suffixes[] = {"Left", "Top", "Right", "Bottom", "State"};
    for (const char *suffix : suffixes)
        if (!ValueExists(kPlacementSection, PlacementKey(suffix)))
            return;
    WindowPlacement p;
    p.left = ReadOrdValue(kPlacementSection, PlacementKey("Left"));
    p.top = ReadOrdValue(kPlacementSection, PlacementKey("Top"));
    p.right = ReadOrdValue(kPlacementSection, PlacementKey("Right"));
    p.bottom = ReadOrdValue(kPlacementSection, PlacementKey("Bottom"));
    p.state = ReadOrdValue(kPlacementSection, PlacementKey("State"));
    p.Apply(*form, restorePlacement_);
}

void TCustomSaveProps::Save()
{
    if (loading_)
        return;
    BeginWrite();
    saving_ = true;
    Guarded(
        [&] {
            SaveEntries();
            saving_ = false;
            if (OnAfterSave)
                OnAfterSave(this);
        },
        [&] {
            saving_ = false;
            EndWrite();
        });
}

void TCustomSaveProps::SaveEntries()
{
    for (TProp *prop : props_) {
        const PropertyAccess *access = prop->IsValid() ? prop->Access() : nullptr;
        if (!access)
            continue;
        const QObject *compo = prop->Compo();
        const QString section = prop->EffectiveSection();
        const QString key = prop->EffectiveKey();
        switch (prop->Kind()) {
        case TPropKind::Ordinal: WriteOrdValue(section, key, access->getOrd(compo)); break;
        case TPropKind::String: WriteStrValue(section, key, access->getStr(compo)); break;
        case TPropKind::Float: WriteFloatValue(section, key, access->getFloat(compo)); break;
        case TPropKind::Object:
            if (QObject *obj = access->getObject(compo))
                WriteObjectValue(section, key, obj);
            break;
        case TPropKind::None: break;
        }
    }
    if (restorePlacement_.Contains(TRestoreKind::Enabled)) {
        if (const QWidget *form = OwnerForm()) {
            const WindowPlacement p = WindowPlacement::Take(*form);
            WriteOrdValue(kPlacementSection, PlacementKey("Left"), p.left);
            WriteOrdValue(kPlacementSection, PlacementKey("Top"), p.top);
            WriteOrdValue(kPlacementSection, PlacementKey("Right"), p.right);
            WriteOrdValue(kPlacementSection, PlacementKey("Bottom"), p.bottom);
            WriteOrdValue(kPlacementSection, PlacementKey("State"), p.state);
        }
    }
}

void TCustomSaveProps::CheckDuplicate(const QString &Section, const QString &Key) const
{
    if (saving_)
        return;
    for (const TProp *prop : props_) {
        if (prop->IsValid() && prop->EffectiveSection().compare(Section, Qt::CaseInsensitive) == 0 &&
            prop->EffectiveKey().compare(Key, Qt::CaseInsensitive) == 0)
            throw ESaveProps(
                QStringLiteral("セクション名 %1 とキー名 %2 の組み合わせが重複しています").arg(Section, Key));
    }
}

void TCustomSaveProps::InstallHook()
{
    if (hookInstalled_ || !owner_)
        return;
    hookInstalled_ = true;
    ownerClass_ = owner_->metaObject();
    if (owner_->isWidgetType())
        owner_->installEventFilter(this);
    else
        ownerDestroyed_ = connect(owner_, &QObject::destroyed, this, [this] { SaveFromHook(); });
}

void TCustomSaveProps::RemoveHook()
{
    if (!hookInstalled_)
        return;
    hookInstalled_ = false;
    if (owner_ && owner_->isWidgetType())
        owner_->removeEventFilter(this);
    disconnect(ownerDestroyed_);
}

bool TCustomSaveProps::eventFilter(QObject *watched, QEvent *event)
{
    // The owner's native window is about to go: save while its components still exist.
    if (watched == owner_ && event->type() == QEvent::PlatformSurface &&
        static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed &&
        owner_->metaObject() == ownerClass_)
        SaveFromHook();
    return QObject::eventFilter(watched, event);
}

void TCustomSaveProps::SaveFromHook()
{
    try {
        Save();
    } catch (const ESaveProps &e) {
        if (OnHookError)
            OnHookError(e.Message());
    } catch (const std::exception &e) {
        if (OnHookError)
            OnHookError(QString::fromUtf8(e.what()));
    } catch (...) {
        // Nothing may leave an event filter; the user still learns that the save failed.
        if (OnHookError)
            OnHookError(QStringLiteral("Unknown error"));
    }
}

} // namespace tamsel
