#include "tools/AnalyzePositions.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <cstdio>
#include <optional>

#include "app/RangedOption.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "app/positions/PositionReadout.h"
#include "capture/FileSoundService.h"
#include "tools/ResultOutput.h"
#include "tools/WindowSettings.h"

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
        positions.push_back(*position);
    }
    return positions;
}

// The window over one recording, as fast as it goes; the reading is that of the last
// sweep end, or of the end of the recording when it is shorter than a sweep.
PositionReading measure(const QString &file, WatchPosition position, const QByteArray &settings,
                        const std::function<void(TForm1 &)> &prepare)
{
    FileSoundOptions source;
    source.path = QFile::encodeName(file).toStdString();
    QEventLoop loop;
    source.onEnd = [&loop] { loop.quit(); };
    auto service = std::make_unique<FileSoundService>(std::move(source));
    if (!service->error().empty())
        commandLineError(QStringLiteral("%1: %2").arg(file, QString::fromStdString(service->error())));

    const WindowSettings stored(settings);
    TForm1 form(std::move(service), stored.design());
    std::optional<PositionReading> reading;
    int64_t rates = 0;
    form.OnSweepEnd = [&] {
        reading = ReadPosition(form.state, position, rates);
        rates = form.state.reading.rates;
    };
    form.show();
    prepare(form);
    if (form.WinWaveIn1->Opened())
        loop.exec();
    return reading.value_or(ReadPosition(form.state, position, rates));
}

} // namespace

int analyzePositions(const QStringList &files, const QString &names, const QByteArray &settings,
                     const std::function<void(TForm1 &)> &prepare)
{
    const auto print = [](const QString &text) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    };
    SetExceptionSink(print);
    SetMessageSink(print);
    if (files.isEmpty())
        commandLineError(QStringLiteral("--positions needs the recordings, one per position"));
    const std::vector<WatchPosition> positions = positionsNamed(names, files.size());
    std::vector<PositionReading> readings;
    for (qsizetype i = 0; i < files.size(); ++i) {
        readings.push_back(measure(files[i], positions[static_cast<size_t>(i)], settings, prepare));
        // The summary's row says "no beats"; a script reading stderr learns it too.
        if (!readings.back().beatsFound)
            print(QStringLiteral("No watch heard in %1").arg(QDir::toNativeSeparators(files[i])));
    }
    // The saved summary ends its lines in CR LF; lines on standard output end in LF.
    std::string csv = PositionTestCsv(readings, Summarise(readings));
    std::erase(csv, '\r');
    return writeResults(csv) ? 0 : kWriteFailed;
}

} // namespace tamsel
