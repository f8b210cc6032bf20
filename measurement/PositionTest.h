#pragma once
// The positional test's numbers: the six positions of a watch, one reading per position and
// the summary a watchmaker regulates from (mean rate, delta, amplitude flat against hanging).
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamsel {

// In the order the test lists and runs them.
enum class WatchPosition { DialUp, DialDown, CrownUp, CrownDown, CrownLeft, CrownRight };

constexpr std::array<WatchPosition, 6> kWatchPositions = {
    WatchPosition::DialUp,    WatchPosition::DialDown,  WatchPosition::CrownUp,
    WatchPosition::CrownDown, WatchPosition::CrownLeft, WatchPosition::CrownRight};

std::string_view PositionCode(WatchPosition p); // "DU", "DD", "CU", "CD", "CL", "CR"
std::string_view PositionName(WatchPosition p); // "Dial up", ..., "Crown right"
std::optional<WatchPosition> PositionFromCode(std::string_view code);
// Dial up and dial down lie flat; the crown positions hang.
bool IsFlat(WatchPosition p);
// The common five-position test: everything but crown right.
bool InCommonFive(WatchPosition p);

struct PositionReading {
    WatchPosition position = WatchPosition::DialUp;
    bool beatsFound = false;     // the rate was measured at least once
    bool amplitudeValid = false; // the amplitude readout held a valid value
    double rate = 0;             // s/day
    double beatError = 0;        // ms
    double amplitude = 0;        // degrees
    double beatsPerHour = 0;

    // Only a reading with beats and a valid amplitude goes into the summary.
    bool counted() const { return beatsFound && amplitudeValid; }
    // Why a reading is left out; empty when it is counted.
    std::string_view flag() const;
};

struct PositionSummary {
    int counted = 0;
    // The beat rate the summary is of: that of the most positions counted (the first of equals).
    // A position measured at another beat rate is another watch's or a miscount: left out.
    std::optional<double> beatsPerHour;
    int otherBeatRates = 0; // positions left out for their beat rate
    std::optional<double> meanRate;
    std::optional<double> delta; // largest rate minus smallest
    std::optional<double> largestBeatError;
    std::optional<double> flatAmplitude;    // mean of the flat positions
    std::optional<double> hangingAmplitude; // mean of the hanging ones
    std::optional<double> amplitudeDrop;    // flat minus hanging
};

PositionSummary Summarise(const std::vector<PositionReading> &readings);
// Counted, and at the summary's beat rate.
bool InSummary(const PositionReading &reading, const PositionSummary &summary);
// Why a reading is not in the summary; empty when it is.
std::string_view PositionNote(const PositionReading &reading, const PositionSummary &summary);

// A header, one row per position with its note, then one row per summary figure; CR LF line ends and a
// full stop as decimal point whatever the locale, so that programs read it alike everywhere.
std::string PositionTestCsv(const std::vector<PositionReading> &readings, const PositionSummary &summary);

} // namespace tamsel
