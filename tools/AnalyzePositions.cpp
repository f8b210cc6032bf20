#include "tools/AnalyzePositions.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "capture/AudioFile.h"
#include "measurement/PositionReadout.h"
#include "support/RangedOption.h"
#include "tools/ResultOutput.h"

namespace tamsel {

namespace {

std::vector<WatchPosition> positionsNamed(const QString &names, qsizetype count)
{
    if (names.trimmed().isEmpty())
        commandLineError(
            QStringLiteral("--positions needs --position-names: the names of the positions are "
                           "required, one per recording in their order, such as DU,DD,CU,CD,CL"));
    const QStringList codes = names.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (codes.size() != count)
        commandLineError(
            QStringLiteral("--position-names needs one name per recording (%1 names for %2 recordings)")
                .arg(codes.size())
                .arg(count));
    std::vector<WatchPosition> positions;
    for (const QString &code : codes) {
        const auto position = PositionFromCode(code.trimmed().toUpper().toStdString());
        if (!position)
            commandLineError(QStringLiteral("unknown position \"%1\" (DU, DD, CU, CD, CL or CR)").arg(code));
        // The summary sets each position against the others: one recording each.
        if (std::find(positions.begin(), positions.end(), *position) != positions.end())
            commandLineError(QStringLiteral("--position-names names %1 twice: one recording per position")
                                 .arg(code.trimmed().toUpper()));
        positions.push_back(*position);
    }
    return positions;
}

// One recording, as fast as it goes; the reading is that of the last sweep end, or of the end
// of the recording when it is shorter than a sweep.
PositionReading measure(const QString &file, WatchPosition position, const AnalysisChoices &choices,
                        const std::function<void(const QString &)> &print)
{
    AudioFile recording;
    if (!recording.open(QFile::encodeName(file).toStdString()))
        commandLineError(QStringLiteral("%1: %2").arg(file, QString::fromStdString(recording.error())));
    RecordingAnalysis analysis(choices);
    std::optional<PositionReading> reading;
    int64_t rates = 0;
    analysis.onSweepEnd = [&](const SweepRecord &) {
        reading = ReadPosition(analysis.state(), position, rates);
        rates = analysis.state().reading.rates;
    };
    analysis.onError = [&print](const std::string &text) { print(QString::fromStdString(text)); };
    analysis.run(recording, [] { return false; });
    return reading.value_or(ReadPosition(analysis.state(), position, rates));
}

} // namespace

int analyzePositions(const QStringList &files, const QString &names, const AnalysisChoices &choices)
{
    const auto print = [](const QString &text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    if (files.isEmpty())
        commandLineError(QStringLiteral("--positions needs the recordings, one per position"));
    // Each recording is read as a whole file, one after the other.
    if (files.contains(QStringLiteral("-")))
        commandLineError(QStringLiteral("--positions reads each position's recording by its file name, "
                                        "not from standard input (-)"));
    const std::vector<WatchPosition> positions = positionsNamed(names, files.size());
    std::vector<PositionReading> readings;
    for (qsizetype i = 0; i < files.size(); ++i) {
        readings.push_back(measure(files[i], positions[static_cast<size_t>(i)], choices, print));
        // The summary's row says "no beats"; a script reading stderr learns it too.
        if (!readings.back().beatsFound)
            print(QStringLiteral("No watch heard in %1").arg(QDir::toNativeSeparators(files[i])));
    }
    const PositionSummary summary = Summarise(readings);
    for (const PositionReading &r : readings)
        if (r.counted() && !InSummary(r, summary))
            print(QStringLiteral("%1 was measured at %2 bph, not at the %3 bph of the summary: left out of it")
                      .arg(QString::fromUtf8(PositionCode(r.position)))
                      .arg(r.beatsPerHour, 0, 'f', 0)
                      .arg(summary.beatsPerHour.value_or(0), 0, 'f', 0));
    // The saved summary ends its lines in CR LF; lines on standard output end in LF.
    std::string csv = PositionTestCsv(readings, summary);
    std::erase(csv, '\r');
    return writeResults(csv) ? 0 : kWriteFailed;
}

} // namespace tamsel
