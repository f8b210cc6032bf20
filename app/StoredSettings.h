#pragma once
// The settings keys that map straight onto what the window keeps: the numbers of [Init], and
// the [Tamsel] section of settings added since.
#include <optional>

#include "capture/InputChoice.h"
#include "measurement/MeasurementSession.h"

class QAction;

namespace tamsel {

class ClockControl;
class RunFlags;
class TIniSaveProps;

// The options kept as check marks in [Tamsel].
struct StoredChecks {
    QAction *inputFilter;
    QAction *autoThreshold;
};

// A number missing or out of its range is read as its default.
void loadInitNumbers(TIniSaveProps &ini, StoredNumbers &numbers);
// `boundaryLevel`: the threshold's position when it is to be kept.
void saveInitNumbers(TIniSaveProps &ini, const MeasurementState &state, std::optional<int> boundaryLevel);

void loadTamselSection(TIniSaveProps &ini, StoredNumbers &numbers, InputChoice &input, StoredChecks checks);
// A flag given for this run alone is not kept.
void saveTamselSection(TIniSaveProps &ini, const MeasurementState &state, const InputChoice &input,
                       StoredChecks checks, const RunFlags &runFlags);

// Where the clock correction came from and when, in [Tamsel]: written once the computer's clock
// has set it (a file never touched by that stays as it was), and from then on at every change.
void loadClockOrigin(TIniSaveProps &ini, ClockControl &clock);
void saveClockOrigin(TIniSaveProps &ini, const ClockControl &clock);

} // namespace tamsel
