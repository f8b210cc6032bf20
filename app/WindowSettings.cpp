#include "app/WindowSettings.h"

#include "app/StoredSettings.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingsMenu.h"
#include "app/scope/Scope.h"

namespace tamsel {

namespace {
const QString kSection = QStringLiteral("Init");
} // namespace

void WindowSettings::build(const QString &file)
{
    TForm1 &f = form_;
    f.IniSaveProps1 = new TIniSaveProps(&f);
    f.IniSaveProps1->setObjectName(QStringLiteral("IniSaveProps1"));
    f.IniSaveProps1->SetFileName(file);
    f.IniSaveProps1->SetJapanese(f.japanese());
    TProps &props = f.IniSaveProps1->Props();
    props.Add(f.Panel1, QStringLiteral("Height"), kSection, QStringLiteral("Split"), false);
    props.Add(f.N2, QStringLiteral("Checked"), kSection, QStringLiteral("CenterStart"));
    props.Add(f.N3, QStringLiteral("Checked"), kSection, QStringLiteral("NotCenterStart"));
    for (QAction *item : {f.N7, f.N8, f.jpeg1, f.N23, f.N25, f.N28, f.N32, f.N210})
        props.Add(item, QStringLiteral("Checked"), kSection);
    props.Add(f.NOff1, QStringLiteral("Checked"), kSection, QStringLiteral("NotStarGraph"));
    props.Add(f.NOn1, QStringLiteral("Checked"), kSection, QStringLiteral("StarGraph"));
    props.Add(f.SpeedButton8, QStringLiteral("Down"), kSection);
    f.IniSaveProps1->OnAfterLoad = [this](QObject *) { loaded(); };
    f.IniSaveProps1->OnAfterSave = [this](QObject *) { saving(); };
    f.IniSaveProps1->OnHookError = [](const QString &message) { ShowException(message); };
    f.IniSaveProps1->SetAutoSave(true);
    try {
        f.IniSaveProps1->Loaded();
    } catch (const std::exception &e) {
        // An unreadable file: say so and start with the design values.
        ShowException(QString::fromUtf8(e.what()));
    }
}

void WindowSettings::loaded()
{
    TForm1 &f = form_;
    StoredNumbers numbers = f.session().stored();
    loadInitNumbers(*f.IniSaveProps1, numbers);
    loadTamselSection(*f.IniSaveProps1, numbers, f.capture().input(), {f.InputFilter1, f.AutoThreshold1});
    f.session().restore(numbers);
    loadClockOrigin(*f.IniSaveProps1, f.clock());
    f.Recordings1->load(*f.IniSaveProps1);
    f.scope().load(*f.IniSaveProps1);
}

void WindowSettings::saving()
{
    TForm1 &f = form_;
    // The level an automatic threshold turned on by a flag moved to lasts the run, as the flag
    // does: the level loaded is kept.
    const int level = f.runFlags.onByFlag(f.AutoThreshold1) ? f.state.boundaryLevel : f.TrackBar1->value();
    saveInitNumbers(*f.IniSaveProps1, f.state, f.N8->isChecked() ? std::optional(level) : std::nullopt);
    saveTamselSection(*f.IniSaveProps1, f.state, f.capture().input(), {f.InputFilter1, f.AutoThreshold1},
                      f.runFlags);
    saveClockOrigin(*f.IniSaveProps1, f.clock());
    f.Recordings1->save(*f.IniSaveProps1);
    f.scope().save(*f.IniSaveProps1);
}

} // namespace tamsel
