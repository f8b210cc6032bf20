// The settings the window keeps between runs: thirteen check marks and one button state
// through the persistence component, seven numbers through its two handlers, and the
// section of settings added since.
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/recordings/RecordingsMenu.h"
#include "measurement/ValueRanges.h"
#include "settings/IniDocument.h"

namespace tamsel {

namespace {
const QString kSection = QStringLiteral("Init");
// Settings beyond the original design live in a section of their own. A key there is
// written only when its value differs from the default or the file already holds it, so
// that a user who never touches these settings keeps exactly the file of before.
const QString kTamselSection = QStringLiteral("Tamsel");
const QString kClockKey = QStringLiteral("ClockCorrection");

void loadTamselSection(TForm1 &form)
{
    TIniSaveProps &ini = *form.IniSaveProps1;
    auto flag = [&](const char *key, QAction *item) {
        item->setChecked(IniDocument::ParseInteger(ini.ReadStrValue(kTamselSection, QString::fromLatin1(key)))
                             .value_or(0) != 0);
    };
    flag("InputFilter", form.InputFilter1);
    flag("AutoThreshold", form.AutoThreshold1);
    form.state.clockCorrection = ClockControl::fromStored(ini.ReadStrValue(kTamselSection, kClockKey));
}

void saveTamselSection(TForm1 &form)
{
    TIniSaveProps &ini = *form.IniSaveProps1;
    auto put = [&](const char *key, const QString &value, bool isDefault) {
        const QString name = QString::fromLatin1(key);
        if (!isDefault || ini.ValueExists(kTamselSection, name))
            ini.WriteStrValue(kTamselSection, name, value);
    };
    // A flag given for this run alone is not kept.
    auto flag = [&](const char *key, const QAction *item) {
        const bool on = form.runFlags.stored(item);
        put(key, on ? QStringLiteral("1") : QStringLiteral("0"), !on);
    };
    flag("InputFilter", form.InputFilter1);
    flag("AutoThreshold", form.AutoThreshold1);
    put("ClockCorrection", ClockControl::storedText(form.state.clockCorrection),
        form.state.clockCorrection == 0);
}

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
    auto read = [this](const char *key, int32_t fallback, IntRange range) {
        // Not a whole number in its range (a missing key included): the default.
        const std::optional<int32_t> value =
            IniDocument::ParseInteger(IniSaveProps1->ReadStrValue(kSection, QString::fromLatin1(key)));
        return value && range.holds(*value) ? *value : fallback;
    };
    state.noiseLevel = read("NoiseLevel", 1000, kNoiseLevelRange);
    state.boundaryLevel = read("BoundaryLevel", 15000, kThresholdPositionRange);
    state.zoom = read("Zoom", 1, kZoomRange);
    state.fineCorrection = read("Hosei", 0, kFineCorrectionRange);
    state.beatUnit = read("vbps", 0, kStoredModeRange);
    state.rateMode = read("Average", 0, kStoredModeRange);
    state.beatErrorMode = read("vkata", 0, kStoredModeRange);
    InputChoice &input = capture_.input();
    input.stored = input.loaded = IniSaveProps1->ReadStrValue(kTamselSection, QStringLiteral("Input"));
    loadTamselSection(*this);
    Recordings1->load(*IniSaveProps1);
}

void TForm1::IniSaveProps1AfterSave(QObject *)
{
    auto write = [this](const char *key, int32_t value) {
        IniSaveProps1->WriteStrValue(kSection, QString::fromLatin1(key), QString::number(value));
    };
    write("NoiseLevel", state.noiseLevel);
    write("Zoom", state.zoom);
    write("Hosei", state.fineCorrection);
    write("vbps", state.beatUnit);
    write("Average", state.rateMode);
    write("vkata", state.beatErrorMode);
    if (N8->isChecked())
        write("BoundaryLevel", TrackBar1->value());
    // A line break in a source's name would split the file's line: such a choice lasts one run.
    const InputChoice &input = capture_.input();
    if (input.stored != input.loaded && !input.stored.contains(u'\n') && !input.stored.contains(u'\r'))
        IniSaveProps1->WriteStrValue(kTamselSection, QStringLiteral("Input"), input.stored);
    saveTamselSection(*this);
    Recordings1->save(*IniSaveProps1);
}

} // namespace tamsel
