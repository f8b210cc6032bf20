#include "app/StoredSettings.h"

#include <QAction>

#include "app/ClockControl.h"
#include "app/RunFlags.h"
#include "measurement/ValueRanges.h"
#include "settings/IniDocument.h"
#include "settings/TIniSaveProps.h"

namespace tamsel {

namespace {
const QString kSection = QStringLiteral("Init");
// Settings beyond the original design live in a section of their own. A key there is
// written only when its value differs from the default or the file already holds it, so
// that a user who never touches these settings keeps exactly the file of before.
const QString kTamselSection = QStringLiteral("Tamsel");
const QString kClockKey = QStringLiteral("ClockCorrection");
const QString kInputKey = QStringLiteral("Input");
const QString kClockOriginKey = QStringLiteral("ClockOrigin");
const QString kClockDateKey = QStringLiteral("ClockDate");
} // namespace

void loadInitNumbers(TIniSaveProps &ini, StoredNumbers &numbers)
{
    auto read = [&](const char *key, int32_t fallback, IntRange range) {
        const std::optional<int32_t> value =
            IniDocument::ParseInteger(ini.ReadStrValue(kSection, QString::fromLatin1(key)));
        return value && range.holds(*value) ? *value : fallback;
    };
    numbers.noiseLevel = read("NoiseLevel", 1000, kNoiseLevelRange);
    numbers.boundaryLevel = read("BoundaryLevel", 15000, kThresholdPositionRange);
    numbers.zoom = read("Zoom", 1, kZoomRange);
    numbers.fineCorrection = read("Hosei", 0, kFineCorrectionRange);
    numbers.beatUnit = read("vbps", 0, kStoredModeRange);
    numbers.rateMode = read("Average", 0, kStoredModeRange);
    numbers.beatErrorMode = read("vkata", 0, kStoredModeRange);
}

void saveInitNumbers(TIniSaveProps &ini, const MeasurementState &state, std::optional<int> boundaryLevel)
{
    auto write = [&](const char *key, int32_t value) {
        ini.WriteStrValue(kSection, QString::fromLatin1(key), QString::number(value));
    };
    write("NoiseLevel", state.noiseLevel);
    write("Zoom", state.zoom);
    write("Hosei", state.fineCorrection);
    write("vbps", state.beatUnit);
    write("Average", state.rateMode);
    write("vkata", state.beatErrorMode);
    if (boundaryLevel)
        write("BoundaryLevel", *boundaryLevel);
}

void loadTamselSection(TIniSaveProps &ini, StoredNumbers &numbers, InputChoice &input, StoredChecks checks)
{
    input.stored = input.loaded = ini.ReadStrValue(kTamselSection, kInputKey);
    auto flag = [&](const char *key, QAction *item) {
        item->setChecked(IniDocument::ParseInteger(ini.ReadStrValue(kTamselSection, QString::fromLatin1(key)))
                             .value_or(0) != 0);
    };
    flag("InputFilter", checks.inputFilter);
    flag("AutoThreshold", checks.autoThreshold);
    numbers.clockCorrection = ClockControl::fromStored(ini.ReadStrValue(kTamselSection, kClockKey));
}

void saveTamselSection(TIniSaveProps &ini, const MeasurementState &state, const InputChoice &input,
                       StoredChecks checks, const RunFlags &runFlags)
{
    // A line break in a source's name would split the file's line: such a choice lasts one run.
    if (input.stored != input.loaded && !input.stored.contains(u'\n') && !input.stored.contains(u'\r'))
        ini.WriteStrValue(kTamselSection, kInputKey, input.stored);
    auto put = [&](const QString &key, const QString &value, bool isDefault) {
        if (!isDefault || ini.ValueExists(kTamselSection, key))
            ini.WriteStrValue(kTamselSection, key, value);
    };
    auto flag = [&](const char *key, const QAction *item) {
        const bool on = runFlags.stored(item);
        put(QString::fromLatin1(key), on ? QStringLiteral("1") : QStringLiteral("0"), !on);
    };
    flag("InputFilter", checks.inputFilter);
    flag("AutoThreshold", checks.autoThreshold);
    put(kClockKey, ClockControl::storedText(state.clockCorrection), state.clockCorrection == 0);
}

void loadClockOrigin(TIniSaveProps &ini, ClockControl &clock)
{
    clock.restoreOrigin(ini.ReadStrValue(kTamselSection, kClockOriginKey),
                        ini.ReadStrValue(kTamselSection, kClockDateKey));
}

void saveClockOrigin(TIniSaveProps &ini, const ClockControl &clock)
{
    if (clock.origin() != ClockControl::Origin::ComputerClock &&
        !ini.ValueExists(kTamselSection, kClockOriginKey))
        return;
    ini.WriteStrValue(kTamselSection, kClockOriginKey, clock.storedOrigin());
    ini.WriteStrValue(kTamselSection, kClockDateKey, clock.storedDate());
}

} // namespace tamsel
