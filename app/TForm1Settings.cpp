// The settings the window keeps between runs: thirteen check marks and one button state
// through the persistence component; its numbers and the section of settings added since
// through its two handlers.
#include "app/StoredSettings.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingsMenu.h"

namespace tamsel {

namespace {
const QString kSection = QStringLiteral("Init");
} // namespace

void TForm1::buildSettings(const QString &file)
{
    IniSaveProps1 = new TIniSaveProps(this);
    IniSaveProps1->setObjectName(QStringLiteral("IniSaveProps1"));
    IniSaveProps1->SetFileName(file);
    IniSaveProps1->SetJapanese(japanese());
    TProps &props = IniSaveProps1->Props();
    props.Add(Panel1, QStringLiteral("Height"), kSection, QStringLiteral("Split"), false);
    props.Add(N2, QStringLiteral("Checked"), kSection, QStringLiteral("CenterStart"));
    props.Add(N3, QStringLiteral("Checked"), kSection, QStringLiteral("NotCenterStart"));
    for (QAction *item : {N7, N8, jpeg1, N23, N25, N28, N32, N210})
        props.Add(item, QStringLiteral("Checked"), kSection);
    props.Add(NOff1, QStringLiteral("Checked"), kSection, QStringLiteral("NotStarGraph"));
    props.Add(NOn1, QStringLiteral("Checked"), kSection, QStringLiteral("StarGraph"));
    props.Add(SpeedButton8, QStringLiteral("Down"), kSection);
    IniSaveProps1->OnAfterLoad = [this](QObject *sender) { IniSaveProps1AfterLoad(sender); };
    IniSaveProps1->OnAfterSave = [this](QObject *sender) { IniSaveProps1AfterSave(sender); };
    IniSaveProps1->OnHookError = [](const QString &message) { ShowException(message); };
    IniSaveProps1->SetAutoSave(true);
    try {
        IniSaveProps1->Loaded();
    } catch (const std::exception &e) {
        // An unreadable file: say so and start with the design values.
        ShowException(QString::fromUtf8(e.what()));
    }
}

void TForm1::IniSaveProps1AfterLoad(QObject *)
{
    StoredNumbers numbers = session_.stored();
    loadInitNumbers(*IniSaveProps1, numbers);
    loadTamselSection(*IniSaveProps1, numbers, capture_.input(), {InputFilter1, AutoThreshold1});
    session_.restore(numbers);
    Recordings1->load(*IniSaveProps1);
}

void TForm1::IniSaveProps1AfterSave(QObject *)
{
    // The level an automatic threshold turned on by a flag moved to lasts the run, as the flag
    // does: the level loaded is kept.
    const int level = runFlags.onByFlag(AutoThreshold1) ? state.boundaryLevel : TrackBar1->value();
    saveInitNumbers(*IniSaveProps1, state, N8->isChecked() ? std::optional(level) : std::nullopt);
    saveTamselSection(*IniSaveProps1, state, capture_.input(), {InputFilter1, AutoThreshold1}, runFlags);
    Recordings1->save(*IniSaveProps1);
}

} // namespace tamsel
