#pragma once
// Keeps chosen properties of a window's components in a store: loads them when the window
// has been built and saves them when its native window is destroyed. The storage itself
// is left to a derived class.
#include "settings/TProps.h"
#include "settings/TRestorePlacement.h"

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>

class QWidget;

namespace tamsel {

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TFindOrdValueEvent = std::function<void(QObject *Sender, const QString &Section, const QString &Key,
                                              int32_t Value, bool &Continue)>;
using TFindStrValueEvent = std::function<void(QObject *Sender, const QString &Section, const QString &Key,
                                              const QString &Value, bool &Continue)>;

class TCustomSaveProps : public QObject {
    Q_OBJECT
public:
    // The owner is the window (or other object) whose components the entries name.
    explicit TCustomSaveProps(QObject *owner);
    ~TCustomSaveProps() override;

    bool AutoLoad() const { return autoLoad_; }
    void SetAutoLoad(bool value) { autoLoad_ = value; }
    bool AutoSave() const { return autoSave_; }
    void SetAutoSave(bool value);
    TRestorePlacement RestorePlacement() const { return restorePlacement_; }
    // Raises an error when the set holds Enabled and the owner is not a top-level window.
    void SetRestorePlacement(TRestorePlacement value);
    TProps &Props() { return props_; }
    QStringList &FindKeys() { return findKeys_; }

    TNotifyEvent OnBeforeLoad;
    TNotifyEvent OnAfterLoad;
    TNotifyEvent OnAfterSave;
    TFindOrdValueEvent OnFindOrdValue;
    TFindStrValueEvent OnFindStrValue;
    // How a save run by the destroy hook reports its failure (by default a message box).
    std::function<void(const QString &message)> OnHookError;

    virtual int32_t ReadOrdValue(const QString &Section, const QString &Key) = 0;
    virtual QString ReadStrValue(const QString &Section, const QString &Key) = 0;
    virtual double ReadFloatValue(const QString &Section, const QString &Key) = 0;
    virtual void WriteOrdValue(const QString &Section, const QString &Key, int32_t Value) = 0;
    virtual void WriteStrValue(const QString &Section, const QString &Key, const QString &Value) = 0;
    virtual void WriteFloatValue(const QString &Section, const QString &Key, double Value) = 0;
    virtual void ReadObjectValue(const QString &Section, const QString &Key, QObject *Obj) = 0;
    virtual void WriteObjectValue(const QString &Section, const QString &Key, QObject *Obj) = 0;
    virtual void FindValues(const QString &Section) = 0;
    virtual void BeginRead() = 0;
    virtual void EndRead() = 0;
    virtual void BeginWrite() = 0;
    virtual void EndWrite() = 0;
    virtual void Load();
    virtual void Save();
    virtual bool ValueExists(const QString &Section, const QString &Key) = 0;

    // The owner has finished building its components: loads when AutoLoad is set.
    void Loaded();

protected:
    bool Loading() const { return loading_; }
    bool Saving() const { return saving_; }
    // A write from outside the entries' own save must not hit a key an entry uses.
    void CheckDuplicate(const QString &Section, const QString &Key) const;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadEntries();
    void LoadPlacement();
    void SaveEntries();
    QString PlacementKey(const char *suffix) const;
    void InstallHook();
    void RemoveHook();
    void SaveFromHook();
    QWidget *OwnerForm() const;

    QObject *owner_;
    TProps props_;
    QStringList findKeys_;
    bool autoLoad_ = true;
    bool autoSave_ = false;
    TRestorePlacement restorePlacement_;
    bool loading_ = false;
    bool saving_ = false;
    bool hookInstalled_ = false;
    // The owner's class when the hook was installed; a different class seen later means
    // the owner is half torn down and its handlers must not run.
    const QMetaObject *ownerClass_ = nullptr;
    QMetaObject::Connection ownerDestroyed_;
};

} // namespace tamsel
