// The headless analyzer as a user runs it: a recording in, the CSV lines and the FINAL
// line out, and a clear refusal of what it cannot read.
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <system_error>

#include "AnalyzerProcess.h"
#include "CommaLocale.h"
#include "MicrophoneScenarios.h"
#include "capture/SyntheticWatch.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

// Writes `frames` frames of a format libsndfile writes; `sample(i, channel)` in -1..1.
template <typename Sample>
QString writeSound(const QTemporaryDir &dir, const char *name, int format, int rate, int channels,
                   sf_count_t frames, Sample sample)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<double> block(static_cast<size_t>(channels) * 4096);
    for (sf_count_t done = 0; done < frames;) {
        const sf_count_t n = std::min<sf_count_t>(4096, frames - done);
        for (sf_count_t i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                block[static_cast<size_t>(i * channels + c)] = sample(done + i, c);
        sf_writef_double(file, block.data(), n);
        done += n;
    }
    sf_close(file);
    return path;
}

QString writeWatch(const QTemporaryDir &dir, const SyntheticWatchParams &params, double seconds)
{
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    watch.generate(0, samples.data(), samples.size());
    return writeSound(dir, "watch.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1,
                      static_cast<sf_count_t>(samples.size()),
                      [&](sf_count_t i, int) { return samples[static_cast<size_t>(i)] / 32768.0; });
}

// An 18 000 bph watch at +10 s/day and 280 degrees, with the room's faint hiss alone from
// sample `roomFrom` to `roomTo`: before it is laid down or after it has stopped.
std::vector<int16_t> watchInTheRoom(size_t samples, size_t roomFrom, size_t roomTo, uint32_t seed)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 10;
    params.amplitudeDegrees = 280;
    std::vector<int16_t> out(samples);
    SyntheticWatch(params).generate(0, out.data(), out.size());
    for (size_t i = roomFrom; i < roomTo; ++i)
        out[i] = static_cast<int16_t>((seed = seed * 1664525u + 1013904223u) >> 25) - 64;
    return out;
}

QStringList finalFields(const AnalyzerRun &run)
{
    EXPECT_FALSE(run.lines.isEmpty());
    return run.lines.isEmpty() ? QStringList() : run.lines.last().split(',');
}

} // namespace

TEST(Analyzer, MeasuresASyntheticWatch)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 6;
    params.beatErrorMs = 0;
    params.amplitudeDegrees = 280;
    // Run as from a bare shell: no login session, and another platform asked for.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    bare.remove("XDG_RUNTIME_DIR");
    bare.remove("DISPLAY");
    bare.insert("QT_QPA_PLATFORM", "xcb");
    const AnalyzerRun run = analyze({writeWatch(dir, params, 130)}, bare);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(run.errors, "") << "no platform chatter, and no progress off a terminal";
    // Two sweep ends of the 60-second view, then the FINAL line.
    ASSERT_EQ(run.lines.size(), 3) << run.lines.join('\n').toStdString();
    for (int i = 0; i < 2; ++i) {
        const QStringList fields = run.lines[i].split(',');
        ASSERT_EQ(fields.size(), 6) << run.lines[i].toStdString();
        EXPECT_TRUE(fields[0].startsWith('"') && fields[0].size() == 16);
        EXPECT_EQ(fields[1], "5.0");
        EXPECT_NEAR(fields[4].toDouble(), 6, 0.15) << "rate over a whole sweep";
        EXPECT_NEAR(fields[2].toDouble(), 280, 3) << "amplitude";
        EXPECT_NEAR(fields[5].toDouble() * 86400, fields[4].toDouble(), 0.001)
            << "the averaged rate's raw ratio";
    }
    const QStringList final = finalFields(run);
    ASSERT_EQ(final.size(), 10) << run.lines.last().toStdString();
    EXPECT_EQ(final[0], "FINAL");
    EXPECT_EQ(final[1], " 05.0");
    EXPECT_NEAR(final[2].toInt(), 6, 1);
    EXPECT_EQ(final[3], "00.0");
    EXPECT_NEAR(final[4].toInt(), 280, 3);
    EXPECT_TRUE(final[5].endsWith(" msec"));
    EXPECT_TRUE(final[6].endsWith(" deg"));
    EXPECT_TRUE(final[7].endsWith(" sec/day"));
    EXPECT_EQ(final[8], "0");
    EXPECT_EQ(final[9], "44100");
}

TEST(Analyzer, BeatErrorOfTickAndTock)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 0;
    params.beatErrorMs = 0.4;
    for (const char *mode : {"0", "1"}) {
        const AnalyzerRun run = analyze({"--beat-error-mode", mode, writeWatch(dir, params, 20)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QStringList final = finalFields(run);
        EXPECT_EQ(final[3], "00.4") << "mode " << mode;
        EXPECT_NEAR(final[5].split(' ')[0].toDouble(), 0.4, 0.03) << "mode " << mode;
    }
}

TEST(Analyzer, OptionsTakeEffect)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 21600;
    params.rateSecondsPerDay = -3;
    const QString wav = writeWatch(dir, params, 25);
    // Beat rate set by hand in the hour unit's neighbour, two-beat rate, beat error mode 1.
    const AnalyzerRun run = analyze({"--view", "20", "--bps", "6", "--rate-mode", "1", "--beat-error-mode",
                                     "1", "--lift-angle", "50", wav});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 2) << "one sweep end of the 20-second view";
    const QStringList final = finalFields(run);
    EXPECT_EQ(final[1], " 06.0");
    EXPECT_NEAR(final[7].split(' ')[0].toDouble(), -3, 10) << "a two-beat rate is coarse but signed right";

    const AnalyzerRun bad = analyze({"--view", "7", wav});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.lines.isEmpty());
}

TEST(Analyzer, ValuesOutsideAnOptionsRangeAreRefusedInOneLine)
{
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, SyntheticWatchParams{}, 2);
    const std::pair<const char *, const char *> refused[] = {{"lift-angle", "0"},
                                                             {"lift-angle", "500"},
                                                             {"hosei", "2147483647"},
                                                             {"hosei", "99999999999"},
                                                             {"rate-mode", "7"},
                                                             {"zoom", "-3"},
                                                             {"bps", "nan"},
                                                             {"bps", "inf"},
                                                             {"bps", "1e9"},
                                                             {"noise", "-2147483648"},
                                                             {"clock-correction", "500.5"},
                                                             {"clock-correction", "nan"},
                                                             {"threshold-position", "x"}};
    for (const auto &[name, value] : refused) {
        const AnalyzerRun run = analyze({QStringLiteral("--%1").arg(name), value, wav});
        EXPECT_EQ(run.exitCode, 2) << name << ' ' << value;
        EXPECT_TRUE(run.lines.isEmpty()) << name << ' ' << value;
        const QStringList message =
            run.errors.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^quorlen-analyze: "));
        ASSERT_EQ(message.size(), 1) << run.errors.toStdString();
        EXPECT_TRUE(message[0].contains(QStringLiteral("--%1 must be").arg(name)) &&
                    message[0].contains(" to "))
            << message[0].toStdString();
    }
    // The help gives each range.
    const AnalyzerRun help = analyze({"--help"});
    for (const char *range : {"from 10 to 90", "from -44099 to 44100", "from -500 to 500", "from 0 to 1",
                              "from 1 to 8", "from 0.1 to 999.9", "from 0 to 32769", "from 0 to 32768"})
        EXPECT_TRUE(help.lines.join(' ').simplified().contains(QLatin1String(range))) << range;
}

// Under a comma locale the lines are the same as under C: six fields, full stops, LED dots.
TEST(Analyzer, LinesAreTheSameInACommaLocale)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = -3.3;
    params.beatErrorMs = 0.3;
    const QString wav = writeWatch(dir, params, 25);
    QProcessEnvironment comma = QProcessEnvironment::systemEnvironment();
    comma.insert("LOCPATH", QString::fromStdString(commaLocaleFolder()));
    comma.insert("LC_ALL", QLatin1String(kCommaLocale));
    QProcessEnvironment c = QProcessEnvironment::systemEnvironment();
    c.insert("LC_ALL", "C.UTF-8");
    const AnalyzerRun inComma = analyze({"--view", "10", wav}, comma);
    const AnalyzerRun inC = analyze({"--view", "10", wav}, c);
    ASSERT_EQ(inComma.exitCode, 0) << inComma.errors.toStdString();
    ASSERT_EQ(inComma.lines.size(), 3);
    ASSERT_EQ(inC.lines.size(), 3);
    for (int i = 0; i < 2; ++i) {
        QStringList fields = inComma.lines[i].split(',');
        ASSERT_EQ(fields.size(), 6) << inComma.lines[i].toStdString();
        fields.removeFirst(); // the stamp: the time of the run
        EXPECT_EQ(fields, inC.lines[i].split(',').mid(1));
    }
    EXPECT_EQ(inComma.lines[2], inC.lines[2]);
    EXPECT_EQ(finalFields(inComma)[3], "00.3");
}

// --json names the CSV line's values (full stops in a comma locale, the time with its offset);
// --header names the CSV fields by the JSON keys that hold the same values.
TEST(Analyzer, JsonLinesCarryTheCsvValues)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = -3.3;
    params.beatErrorMs = 0.4;
    const QString wav = writeWatch(dir, params, 25);
    QProcessEnvironment comma = QProcessEnvironment::systemEnvironment();
    comma.insert("LOCPATH", QString::fromStdString(commaLocaleFolder()));
    comma.insert("LC_ALL", QLatin1String(kCommaLocale));
    comma.insert("TZ", "Europe/Berlin");
    QProcessEnvironment c = comma;
    c.insert("LC_ALL", "C.UTF-8");
    const QStringList options = {"--view", "10", "--start", "2026-01-15 10:00:00", wav};
    const AnalyzerRun csv = analyze(QStringList{"--header"} + options, c);
    const AnalyzerRun json = analyze(QStringList{"--json"} + options, comma);
    ASSERT_EQ(json.exitCode, 0) << json.errors.toStdString();
    ASSERT_EQ(csv.lines.size(), 4);
    const QStringList names = csv.lines[0].split(',');
    ASSERT_EQ(names.size(), 6) << csv.lines[0].toStdString();
    ASSERT_EQ(json.lines.size(), 3) << json.lines.join('\n').toStdString();
    for (int i = 0; i < 3; ++i) {
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(json.lines[i].toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << json.lines[i].toStdString();
        EXPECT_EQ(o["samples_lost"].toInteger(-1), 0);
        EXPECT_GT(o["lift_time_ms"].toDouble(), 5) << json.lines[i].toStdString();
        EXPECT_LT(o["lift_time_ms"].toDouble(), 30);
        if (i == 2) {
            EXPECT_EQ(o["type"], "final");
            const QStringList final = csv.lines[3].split(',');
            EXPECT_EQ(QString::number(o["rate_s_per_day"].toDouble(), 'f', 3) + " sec/day", final[7]);
            EXPECT_EQ(QString::number(o["amplitude_deg"].toDouble(), 'f', 0) + " deg", final[6]);
            continue;
        }
        const QStringList fields = csv.lines[1 + i].split(',');
        EXPECT_EQ(o["type"], "sweep");
        const QString time = o["time"].toString();
        EXPECT_TRUE(time.endsWith("+01:00")) << time.toStdString();
        EXPECT_EQ(QDateTime::fromString(time, Qt::ISODate)
                      .toTimeZone(QTimeZone("Europe/Berlin"))
                      .toString("\"yyyyMMddHHmmss\""),
                  fields[0]);
        EXPECT_EQ(o["bph"].toDouble(), fields[1].toDouble() * 3600);
        EXPECT_EQ(o["amplitude_deg"].toDouble(), fields[2].toDouble());
        EXPECT_EQ(o["beat_error_ms"].toDouble(), fields[3].toDouble());
        EXPECT_NEAR(o["beat_error_ms"].toDouble(), 0.4, 0.05);
        EXPECT_EQ(o["rate_s_per_day"].toDouble(), fields[4].toDouble());
        // A script may read either output by the header's names; the time is ISO 8601 in JSON.
        for (int field = 0; field < names.size(); ++field) {
            ASSERT_TRUE(o.contains(names[field])) << names[field].toStdString();
            if (names[field] != "time") {
                EXPECT_EQ(o[names[field]].toDouble(), fields[field].toDouble()) << names[field].toStdString();
            }
        }
        EXPECT_EQ(names[0], "time");
    }
}

// A card that runs a tenth fast, put right by the fine correction: the JSON's lift time is the
// watch's own, counted at the card's true rate rather than at the nominal 44 100 a second.
TEST(Analyzer, JsonLiftTimeIsCountedAtTheTrueRate)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    const auto finalObject = [&](const QStringList &options) {
        const AnalyzerRun run = analyze(QStringList{"--json", "--view", "10"} + options +
                                        QStringList{writeWatch(dir, params, 25)});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return run.lines.isEmpty() ? QJsonObject()
                                   : QJsonDocument::fromJson(run.lines.last().toUtf8()).object();
    };
    const QJsonObject nominal = finalObject({});
    params.beatsPerHour /= 1.1; // the same watch as the fast card hears it, in nominal samples
    const QJsonObject fast = finalObject({"--hosei", "4410"});
    EXPECT_EQ(fast["bph"].toDouble(), 21600);
    ASSERT_GT(nominal["lift_time_ms"].toDouble(), 5);
    EXPECT_NEAR(fast["lift_time_ms"].toDouble(), nominal["lift_time_ms"].toDouble(), 0.15);
}

TEST(Analyzer, TimeSignalCalibration)
{
    QTemporaryDir dir;
    // One short pulse per second, 44 110 samples apart: a card 10 samples per second fast.
    const QString wav = writeSound(dir, "pulses.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44110 * 62,
                                   [](sf_count_t i, int) {
                                       const sf_count_t k = (i - 20000) % 44110;
                                       return i >= 20000 && k < 40 ? 0.8 * std::exp(-k / 10.0) : 0.0;
                                   });
    // The input filter changes nothing: the time signal is timed on its pulses.
    for (const QStringList &filter : {QStringList{}, QStringList{"--input-filter"}}) {
        const AnalyzerRun run = analyze(QStringList{"--time-signal"} + filter + QStringList{wav});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains("Time signal calibration end.")) << filter.join(' ').toStdString();
        ASSERT_GE(run.lines.size(), 2);
        EXPECT_EQ(run.lines.last(), "CLOCK,0.000") << "whole samples: no rest";
        const QStringList final = run.lines[run.lines.size() - 2].split(',');
        EXPECT_EQ(final[8], "10");
        EXPECT_EQ(final[9], "44110");
    }
    // With --report the SUMMARY line follows FINAL, and CLOCK stays the last line.
    const AnalyzerRun reported = analyze({"--time-signal", "--report", dir.filePath("run.svg"), wav});
    ASSERT_EQ(reported.exitCode, 0) << reported.errors.toStdString();
    ASSERT_GE(reported.lines.size(), 3);
    EXPECT_EQ(reported.lines.last(), "CLOCK,0.000");
    EXPECT_TRUE(reported.lines[reported.lines.size() - 2].startsWith("SUMMARY,"));
    EXPECT_TRUE(reported.lines[reported.lines.size() - 3].startsWith("FINAL,"));

    // A watch is no time signal: the stored correction stays, and no CLOCK line.
    const AnalyzerRun watch =
        analyze({"--time-signal", "--hosei", "3", "--clock-correction", "0.4", writeWatch(dir, {}, 20)});
    ASSERT_EQ(watch.exitCode, 0) << watch.errors.toStdString();
    EXPECT_TRUE(watch.errors.contains("No time signal heard")) << watch.errors.toStdString();
    EXPECT_FALSE(watch.errors.contains("Time signal calibration end."));
    EXPECT_EQ(finalFields(watch)[8], "3");
}

// A sound card 37 ppm fast (+3.2 s/day), made by resampling what a true one would record:
// a time signal through it calibrates the card, and a watch at +3.0 s/day then reads so.
TEST(Analyzer, TheClockCalibratedToATenthOfASecondPerDay)
{
    QTemporaryDir dir;
    const double card = 1.000037;
    auto throughCard = [&](const char *name, const std::vector<float> &heard) {
        std::vector<float> recorded(static_cast<size_t>(heard.size() * card) + 64);
        SRC_DATA data{};
        data.data_in = heard.data();
        data.input_frames = static_cast<long>(heard.size());
        data.data_out = recorded.data();
        data.output_frames = static_cast<long>(recorded.size());
        data.src_ratio = card;
        EXPECT_EQ(src_simple(&data, SRC_SINC_FASTEST, 1), 0);
        return writeSound(dir, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, data.output_frames_gen,
                          [&](sf_count_t i, int) { return double(recorded[static_cast<size_t>(i)]); });
    };
    std::vector<float> pulses(44100 * 62);
    for (size_t i = 20000; i < pulses.size(); ++i)
        pulses[i] =
            (i - 20000) % 44100 < 40 ? float(0.8 * std::exp(-double((i - 20000) % 44100) / 10)) : 0.0f;
    const AnalyzerRun calibration = analyze({"--time-signal", throughCard("pulses.wav", pulses)});
    ASSERT_EQ(calibration.exitCode, 0) << calibration.errors.toStdString();
    ASSERT_TRUE(calibration.lines.last().startsWith("CLOCK,")) << calibration.lines.join('\n').toStdString();
    const QString clock = calibration.lines.last().mid(6);
    const QString hosei = calibration.lines[calibration.lines.size() - 2].split(',')[8];
    EXPECT_EQ(hosei, "2");

    SyntheticWatchParams params;
    params.rateSecondsPerDay = 3.0;
    const SyntheticWatch watch(params);
    std::vector<int16_t> ticks(44100 * 22);
    watch.generate(0, ticks.data(), ticks.size());
    std::vector<float> heard(ticks.begin(), ticks.end());
    for (float &v : heard)
        v /= 32768;
    const QString wav = throughCard("watch.wav", heard);
    // Resampling softens the one-sample peaks: a lower threshold.
    const QStringList options = {"--view", "20", "--threshold-position", "20000", "--hosei", hosei};
    const AnalyzerRun corrected = analyze(options + QStringList{"--clock-correction", clock, wav});
    const AnalyzerRun wholeSamples = analyze(options + QStringList{wav});
    ASSERT_EQ(corrected.exitCode, 0) << corrected.errors.toStdString();
    ASSERT_EQ(corrected.lines.size(), 2) << "one sweep, then FINAL";
    const QStringList fields = corrected.lines[0].split(',');
    EXPECT_EQ(fields[1], "6.0") << corrected.lines[0].toStdString();
    EXPECT_NEAR(fields[3].toDouble(), 0.3, 0.05) << "beat error";
    EXPECT_NEAR(fields[4].toDouble(), 3.0, 0.15) << corrected.lines[0].toStdString();
    EXPECT_NEAR(wholeSamples.lines[0].split(',')[4].toDouble(), 3.0, 1.0) << "whole samples per second only";
}

// Beat error does not bias the averaged rate: every sweep of the 10-second view reads right,
// whether it holds an odd or an even number of beat intervals.
TEST(Analyzer, BeatErrorLeavesTheAveragedRateAlone)
{
    QTemporaryDir dir;
    for (const double bph : {10800, 21600, 28800}) {
        SyntheticWatchParams params;
        params.beatsPerHour = bph;
        params.rateSecondsPerDay = 4;
        params.beatErrorMs = 0.5;
        const AnalyzerRun run = analyze({"--view", "10", writeWatch(dir, params, 32)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_EQ(run.lines.size(), 4) << "three sweeps, then FINAL";
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(run.lines[i].split(',')[4].toDouble(), 4, 0.2)
                << bph << ": " << run.lines[i].toStdString();
    }
}

TEST(Analyzer, OtherFormatsAreConvertedNotMisread)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(44100 * 12);
    watch.generate(0, samples.data(), samples.size());
    // 48 kHz stereo: the same watch, resampled by nearest sample (good enough for ticks).
    const QString stereo = writeSound(dir, "stereo48k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 2,
                                      48000 * 12, [&](sf_count_t i, int) {
                                          const size_t at = static_cast<size_t>(i * 44100 / 48000);
                                          return samples[std::min(at, samples.size() - 1)] / 32768.0;
                                      });
    // Resampling softens the one-sample peaks: a lower threshold.
    const AnalyzerRun run = analyze({"--threshold-position", "20000", stereo});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList final = finalFields(run);
    EXPECT_EQ(final[1], " 05.0");
    EXPECT_NEAR(final[7].split(' ')[0].toDouble(), 4, 2)
        << "read at 48 000 as if 44 100, it would be far off";
    const QString eight =
        writeSound(dir, "eight.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 44100, 1, 44100 * 12,
                   [&](sf_count_t i, int) { return samples[static_cast<size_t>(i)] / 32768.0; });
    const AnalyzerRun eightRun = analyze({eight});
    ASSERT_EQ(eightRun.exitCode, 0) << eightRun.errors.toStdString();
    EXPECT_EQ(finalFields(eightRun)[1], " 05.0");
}

TEST(Analyzer, UnreadableFilesAreRefusedInOneLine)
{
    QTemporaryDir dir;
    QFile empty(dir.filePath("empty.wav"));
    empty.open(QIODevice::WriteOnly);
    empty.close();
    QFile text(dir.filePath("notes.wav"));
    text.open(QIODevice::WriteOnly);
    text.write("These are my notes, not a recording.\n");
    text.close();
    QFile truncated(dir.filePath("truncated.wav"));
    truncated.open(QIODevice::WriteOnly);
    truncated.write(QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16));
    truncated.close();
    for (const QString &path :
         {empty.fileName(), text.fileName(), truncated.fileName(), dir.filePath("missing.wav")}) {
        const AnalyzerRun run = analyze({path});
        EXPECT_EQ(run.exitCode, 2) << path.toStdString();
        EXPECT_TRUE(run.lines.isEmpty());
        const QStringList messages = run.errors.split('\n', Qt::SkipEmptyParts).filter("quorlen-analyze");
        EXPECT_EQ(messages.size(), 1) << run.errors.toStdString();
    }
}

TEST(Analyzer, RecordsSnapshotsAndTheLogInABatch)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const QString wav = writeWatch(dir, params, 3.5);
    const QString folder = dir.filePath("records/nested");
    const AnalyzerRun run =
        analyze({"--view", "1", "--record", folder, "--jpeg", "--print-scale", "--print-signal",
                 "--print-values", "--start", "2026-12-07 11:34:00", wav});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList csvLines = run.lines.filter(QRegularExpression("^\"\\d{14}\","));
    ASSERT_EQ(csvLines.size(), 3) << "a sweep end every second";
    // Stamped by when the watch was heard: one snapshot per sweep, the same on every run.
    const QStringList stamps = {"20261207113401", "20261207113402", "20261207113403"};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(csvLines[i].startsWith('"' + stamps[i] + '"')) << csvLines[i].toStdString();
    EXPECT_EQ(QDir(folder).entryList({"*.jpg"}, QDir::Files),
              QStringList({stamps[0] + ".jpg", stamps[1] + ".jpg", stamps[2] + ".jpg"}));
    // Without a start, the file's modification time less its length: 3.5 s before 11:34:03.5.
    QFile touched(wav);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(11, 34, 3, 500)),
                                    QFileDevice::FileModificationTime));
    touched.close();
    const QString again = dir.filePath("again");
    ASSERT_EQ(analyze({"--view", "1", "--record", again, "--jpeg", wav}).exitCode, 0);
    EXPECT_EQ(QDir(again).entryList({"*.jpg"}, QDir::Files), QDir(folder).entryList({"*.jpg"}, QDir::Files));
    const QDir records(folder);
    const QStringList logs = records.entryList({"*.csv"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(records.filePath(logs[0]));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> logged = log.readAll().split('\n');
    EXPECT_EQ(logged.size() - 1, csvLines.size()) << "the log has the lines the analyzer printed";
    const QStringList snapshots = records.entryList({"*.jpg"}, QDir::Files);
    ASSERT_FALSE(snapshots.isEmpty());
    QImage snapshot(records.filePath(snapshots.last()));
    ASSERT_FALSE(snapshot.isNull());
    // Chart, signal graph and the 20-pixel text strip, one under the other.
    EXPECT_EQ(snapshot.width(), 777);
    EXPECT_EQ(snapshot.height(), 254 + 63 + 20);
}

// With the microphone options left off, the analyzer prints exactly the lines it printed
// before they existed (kept in data/, the time stamp left out), also with no display and no
// platform named, as from a bare shell. TAMSEL_RECORD_LINES=1 writes the file anew instead
// of comparing.
TEST(Analyzer, LinesStayAsTheyWereWithTheMicrophoneOptionsOff)
{
    struct Case {
        const char *name;
        SyntheticWatchParams watch;
        double seconds;
        QStringList arguments;
    };
    SyntheticWatchParams slow;
    slow.beatsPerHour = 18000;
    slow.rateSecondsPerDay = 6;
    slow.beatErrorMs = 0;
    slow.amplitudeDegrees = 280;
    SyntheticWatchParams fast;
    fast.beatsPerHour = 28800;
    fast.rateSecondsPerDay = -3;
    fast.beatErrorMs = 0.6;
    fast.amplitudeDegrees = 220;
    fast.peakLevel = 24000;
    fast.noiseLevel = 300;
    SyntheticWatchParams even = slow;
    even.rateSecondsPerDay = 0;
    even.beatErrorMs = 0.4;
    const Case cases[] = {
        {"demo", SyntheticWatchParams{}, 22, {"--view", "10"}},
        {"slow", slow, 62, {}},
        {"fast", fast, 42, {"--view", "20", "--ac-mode", "--beat-error-mode", "1"}},
        {"even", even, 22, {"--view", "10", "--rate-mode", "1", "--hires", "--threshold-position", "20000"}},
    };
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(QString::fromLatin1(name));
    QStringList lines;
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString wav = writeWatch(dir, c.watch, c.seconds);
        const AnalyzerRun run = analyze(c.arguments + QStringList{wav}, bare);
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        // A clock correction of 0 is none at all.
        EXPECT_EQ(analyze(c.arguments + QStringList{"--clock-correction", "0", wav}).lines, run.lines)
            << c.name;
        for (QString line : run.lines)
            lines << QString::fromLatin1(c.name) + ": " +
                         line.replace(QRegularExpression("^\"\\d{14}\""), "\"\"");
    }
    QFile expected(QStringLiteral(TAMSEL_TEST_DATA "/analyzer_lines.txt"));
    if (qEnvironmentVariableIsSet("TAMSEL_RECORD_LINES")) {
        ASSERT_TRUE(expected.open(QIODevice::WriteOnly));
        expected.write((lines.join('\n') + '\n').toUtf8());
        return;
    }
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(expected.readAll()).split('\n', Qt::SkipEmptyParts), lines);
}

// Snapshots are drawn without a window and with no display, pixel for pixel as the unseen
// window drew them for the analyzer before (kept in data/ as PNG): beat detection in the A-C
// mode with the scale, and the averaging measurement, each with the signal graph and the values
// line. TAMSEL_RECORD_SNAPSHOTS=1 writes them anew instead of comparing.
TEST(Analyzer, SnapshotsAreTheWindowsPixelsWithoutAWindow)
{
    SyntheticWatchParams watch;
    watch.beatsPerHour = 21600;
    watch.rateSecondsPerDay = -7;
    watch.beatErrorMs = 0.8;
    watch.amplitudeDegrees = 240;
    watch.noiseLevel = 400;
    const std::pair<const char *, QStringList> cases[] = {
        {"snapshot_threshold.png",
         {"--view", "10", "--ac-mode", "--print-scale", "--print-signal", "--print-values"}},
        {"snapshot_filter.png", {"--view", "10", "--input-filter", "--print-signal", "--print-values"}},
    };
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(QString::fromLatin1(name));
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, watch, 22);
    for (const auto &[golden, options] : cases) {
        const QString folder = dir.filePath(QString::fromLatin1(golden));
        const AnalyzerRun run =
            analyze(options + QStringList{"--record", folder, "--start", "2026-12-07 11:34:00", wav}, bare);
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QStringList bitmaps = QDir(folder).entryList({"*.bmp"}, QDir::Files);
        ASSERT_EQ(bitmaps.size(), 2) << golden;
        const QImage snapshot =
            QImage(QDir(folder).filePath(bitmaps.last())).convertToFormat(QImage::Format_RGB32);
        const QString path = QStringLiteral(TAMSEL_TEST_DATA "/") + QString::fromLatin1(golden);
        if (qEnvironmentVariableIsSet("TAMSEL_RECORD_SNAPSHOTS")) {
            ASSERT_TRUE(snapshot.save(path));
            continue;
        }
        EXPECT_EQ(snapshot, QImage(path).convertToFormat(QImage::Format_RGB32)) << golden;
    }
}

// An ordinary microphone (hum, hiss, room clicks, quieter tocks, a drifting level) measured
// with the input filter and the automatic threshold, everything else at its default: the
// first sweep's line is right.
TEST(Analyzer, MeasuresAWatchThroughAnOrdinaryMicrophone)
{
    struct Case {
        double beatsPerHour, rate, beatError, amplitude, tick, tock, hiss, humHz, humLevel;
    };
    const Case cases[] = {
        {18000, 6, 0.2, 280, 300, 0.6, 20, 50, 400},
        {21600, -4, 0.4, 250, 1200, 0.5, 40, 60, 250},
        {28800, 2, 0.1, 220, 6000, 1.0, 120, 50, 400},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        SyntheticWatchParams params;
        params.beatsPerHour = c.beatsPerHour;
        params.rateSecondsPerDay = c.rate;
        params.beatErrorMs = c.beatError;
        params.amplitudeDegrees = c.amplitude;
        params.peakLevel = c.tick;
        params.microphone = {true, c.tock, 0.25, c.humHz, c.humLevel, c.hiss, 4};
        const AnalyzerRun run = analyze({"--input-filter", "--auto-threshold", writeWatch(dir, params, 61)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_GE(run.lines.size(), 2);
        const QStringList fields = run.lines[0].split(',');
        const std::string line = run.lines[0].toStdString();
        EXPECT_EQ(fields[1].toDouble(), c.beatsPerHour / 3600) << line;
        EXPECT_NEAR(fields[4].toDouble(), c.rate, 0.5) << line;
        EXPECT_NEAR(fields[3].toDouble(), c.beatError, 0.1) << line;
        const int amplitude = fields[2].toInt();
        EXPECT_TRUE(52 < amplitude && amplitude <= 360) << line;
    }
}

// With the default settings (no input filter, the fixed threshold) a watch heard through an
// ordinary microphone reads nothing: the analyzer says so and points to the input filter, which
// reads it. A room with no watch gets no such hint.
TEST(Analyzer, AWatchTheThresholdMissesIsPointedToTheInputFilter)
{
    QTemporaryDir dir;
    std::vector<test::MicrophoneScenario> scenarios = test::microphoneScenarios(7);
    for (const test::MicrophoneScenario &bench : test::benchScenarios(7))
        if (!bench.params.microphone.watchHeard)
            scenarios.push_back(bench); // a laptop's hum and hiss, a microphone handled
    int hinted = 0;
    for (const test::MicrophoneScenario &scenario : scenarios) {
        const test::MicrophoneTruth truth = test::truthOf(SyntheticWatch(scenario.params));
        const QString wav = writeWatch(dir, scenario.params, 21);
        const AnalyzerRun run = analyze({"--view", "10", wav});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        const QString nothing = "No watch heard in " + wav + "\n";
        const QString hint = "Nothing crosses the threshold: try Option ▸ Input filter (--input-filter)\n";
        if (!truth.watchHeard) {
            EXPECT_EQ(run.errors, nothing) << scenario.name;
        } else if (run.errors.startsWith(nothing)) {
            EXPECT_EQ(run.errors, nothing + hint) << scenario.name;
            ++hinted;
        }
    }
    EXPECT_GE(hinted, 10) << "the threshold misses most of them";
}

// Watches as ordinary microphones hear them, harder than the measurement expects (rival
// sub-events, near-equal tock bursts, clicks louder than ticks, level steps, laptop hiss,
// strong hum), on a seed the measurement was not tuned on: with the input filter and the
// automatic threshold, everything else at its default, the first sweep's line is right; a
// room without a watch gives no reading at all.
TEST(Analyzer, FirstSweepIsRightOnEveryMicrophoneScenario)
{
    QTemporaryDir dir;
    std::vector<test::MicrophoneScenario> scenarios = test::microphoneScenarios(7);
    for (const test::MicrophoneScenario &harder : test::harderScenarios(7))
        scenarios.push_back(harder);
    for (const test::MicrophoneScenario &scenario : scenarios) {
        const SyntheticWatch watch(scenario.params);
        const test::MicrophoneTruth truth = test::truthOf(watch);
        const AnalyzerRun run =
            analyze({"--input-filter", "--auto-threshold", writeWatch(dir, scenario.params, 61)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_GE(run.lines.size(), 2) << scenario.name;
        const QStringList fields = run.lines[0].split(',');
        const std::string line = scenario.name + ": " + run.lines.join('\n').toStdString();
        if (!truth.watchHeard || (truth.mayBeBlank && fields[4].isEmpty())) {
            EXPECT_EQ(fields.mid(1, 4), QString("0.0,,,").split(',')) << line;
            EXPECT_EQ(run.lines.last(), "FINAL, 00.0,0,00.0,0,,,,0,44100") << line;
            continue;
        }
        EXPECT_EQ(fields[1].toDouble(), truth.beatsPerHour / 3600) << line;
        EXPECT_NEAR(fields[4].toDouble(), truth.rateSecondsPerDay, 0.5) << line;
        EXPECT_NEAR(fields[3].toDouble(), truth.beatErrorMs, 0.1) << line;
        EXPECT_NEAR(fields[2].toDouble(), truth.amplitudeDegrees, 10) << line;
    }
}

// Watches and clocks as they come to the bench (a quiet laptop recording whose tick rings as
// one, a drop at 0.4 of the loudest sub-event, pin-lever clatter, tick and tock unlike, carriage
// platforms, clocks from a seconds pendulum up; a laptop and a handled microphone with no watch),
// with the input filter, the lift angle of the movement and, for a clock, a 30 s view: the
// first reading is right. A beat with no drop in it gives no amplitude, nor does a clock.
TEST(Analyzer, FirstReadingIsRightOnEveryWatchAndClockOnTheBench)
{
    QTemporaryDir dir;
    for (const test::MicrophoneScenario &scenario : test::benchScenarios(7)) {
        const SyntheticWatch watch(scenario.params);
        const test::MicrophoneTruth truth = test::truthOf(watch);
        const bool clock = truth.watchHeard && scenario.params.liftAngle < 10; // a pendulum's
        const double view = scenario.seconds < 30 ? 10 : clock ? 30 : 60;
        const QString liftAngle = QString::number(std::max(10.0, std::round(scenario.params.liftAngle)));
        const AnalyzerRun run =
            analyze({"--input-filter", "--auto-threshold", "--lift-angle", liftAngle, "--view",
                     QString::number(view), writeWatch(dir, scenario.params, view + 1)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_GE(run.lines.size(), 2) << scenario.name;
        const QStringList fields = run.lines[0].split(',');
        const std::string line = scenario.name + ": " + run.lines.join('\n').toStdString();
        if (!truth.watchHeard) {
            EXPECT_EQ(fields.mid(1, 4), QString("0.0,,,").split(',')) << line;
            continue;
        }
        EXPECT_NEAR(fields[1].toDouble(), truth.beatsPerHour / 3600, 0.05) << line;
        EXPECT_NEAR(fields[4].toDouble(), truth.rateSecondsPerDay, clock ? 1 : 0.5) << line;
        EXPECT_NEAR(fields[3].toDouble(), truth.beatErrorMs, clock ? 0.5 : 0.1) << line;
        if (clock || truth.amplitudeMayBeBlank)
            EXPECT_EQ(fields[2], "") << line;
        else
            EXPECT_NEAR(fields[2].toDouble(), truth.amplitudeDegrees, 10) << line;
    }
}

// A muted microphone measures nothing; one held too close (every tick clipped) still
// gives one pulse per beat.
TEST(Analyzer, MicrophoneOptionsOnSilenceAndOnClippedTicks)
{
    QTemporaryDir dir;
    const QString silent =
        writeSound(dir, "silent.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44100 * 12,
                   [](sf_count_t i, int) { return i < 44100 * 6 ? 0.0 : ((i * 7919) % 5 - 2) / 32768.0; });
    const AnalyzerRun quiet = analyze({"--input-filter", "--auto-threshold", silent});
    ASSERT_EQ(quiet.exitCode, 0) << quiet.errors.toStdString();
    EXPECT_EQ(quiet.lines, QStringList{"FINAL, 00.0,0,00.0,0,,,,0,44100"});

    SyntheticWatchParams params;
    params.beatsPerHour = 21600;
    params.peakLevel = 150000;
    params.microphone = {true, 0.7, 0.2, 50, 300, 60, 4};
    const AnalyzerRun loud = analyze({"--input-filter", "--auto-threshold", writeWatch(dir, params, 12)});
    ASSERT_EQ(loud.exitCode, 0) << loud.errors.toStdString();
    const QStringList final = finalFields(loud);
    EXPECT_EQ(final[1], " 06.0") << loud.lines.join('\n').toStdString();
    EXPECT_NEAR(final[7].split(' ')[0].toDouble(), 4, 1) << loud.lines.join('\n').toStdString();
}

TEST(Analyzer, ProgressIsDrawnOnATerminalOnly)
{
    QTemporaryDir dir;
    const QString wav = writeWatch(dir, SyntheticWatchParams{}, 75);
    for (const bool quiet : {false, true}) {
        // `script` gives the analyzer a terminal, where stdout and stderr meet in writing order.
        const QString command = kAnalyzer + (quiet ? " --quiet " : " ") + wav;
        const AnalyzerRun onTerminal = run("script", {"-qec", command, "/dev/null"});
        ASSERT_EQ(onTerminal.exitCode, 0);
        ASSERT_FALSE(onTerminal.lines.isEmpty());
        const bool drawn = onTerminal.lines.first().contains(QRegularExpression("^\\r0 %  0:00 / 1:15"));
        EXPECT_EQ(drawn, !quiet) << onTerminal.lines.first().toStdString();
        // Erased before each result line, so every line of results reads as printed.
        const QRegularExpression erased("^((\\r[^\\r]*)*\\r *\\r)?(\"\\d{14}\"|FINAL),.*\\r$");
        for (const QString &line : onTerminal.lines)
            EXPECT_TRUE(erased.match(line).hasMatch()) << line.toStdString();
    }
}

TEST(Analyzer, UsageErrorsAndAReaderThatGoesAway)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    // Three minutes in the 1-second view: lines keep coming long after `head` has gone.
    const QString wav = writeWatch(dir, params, 180);
    // An option that does nothing without its companion is refused like a bad one.
    for (const QStringList &arguments :
         {QStringList{}, QStringList{wav, wav}, QStringList{"--bogus", wav}, QStringList{"--record", "", wav},
          QStringList{"--jpeg", wav}, QStringList{"--position-names", "DU", wav},
          QStringList{"--duration", "1h", wav}, QStringList{"--live", "--start", "2026-12-07 10:00:00"},
          QStringList{"--json", "--report", dir.filePath("r.svg"), wav}}) {
        const AnalyzerRun usage = analyze(arguments);
        EXPECT_EQ(usage.exitCode, 2);
        EXPECT_TRUE(usage.lines.isEmpty());
        EXPECT_TRUE(usage.errors.startsWith("quorlen-analyze: ") && usage.errors.count('\n') == 1)
            << usage.errors.toStdString();
    }
    // A positional test without its names says that they are required.
    const AnalyzerRun unnamed = analyze({"--positions", wav, wav});
    EXPECT_EQ(unnamed.exitCode, 2);
    EXPECT_TRUE(unnamed.errors.contains("--positions needs --position-names") &&
                unnamed.errors.contains("required"))
        << unnamed.errors.toStdString();
    // `head` goes away after the first line; the run ends there, without a word.
    const AnalyzerRun piped =
        run("bash", {"-c", "set -o pipefail; \"$0\" --view 1 \"$1\" | head -1", kAnalyzer, wav});
    EXPECT_EQ(piped.exitCode, 3);
    EXPECT_EQ(piped.lines.size(), 1);
    EXPECT_EQ(piped.errors, "");
}

TEST(Analyzer, WhatCouldNotBeWrittenEndsTheFinishedRunWithStatus3)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const QString wav = writeWatch(dir, params, 2.5);
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    // No folder for the records: found before the run, not after it (what fails during the run,
    // a file-size limit, is in RunsIntoOneFolderKeepEveryFileAndTheLogEndsWhole).
    const AnalyzerRun run = analyze({"--view", "1", "--record", plain.fileName() + "/records", wav});
    EXPECT_EQ(run.exitCode, 2) << run.errors.toStdString();
    EXPECT_TRUE(run.lines.isEmpty());
    EXPECT_TRUE(run.errors.contains("Not a directory")) << run.errors.toStdString();
    // The printed lines are records too.
    if (QFile::exists("/dev/full")) {
        QProcess full;
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"), {"--view", "1", wav});
        ASSERT_TRUE(full.waitForFinished(120000));
        EXPECT_EQ(full.exitCode(), 3);
        full.start(QStringLiteral(TAMSEL_BINARY_DIR "/tools/quorlen-analyze"), {"--help"});
        ASSERT_TRUE(full.waitForFinished(120000));
        EXPECT_EQ(full.exitCode(), 3) << "the help that could not be written";
    }
    const AnalyzerRun badStart = analyze({"--start", "7.12.2026", wav});
    EXPECT_EQ(badStart.exitCode, 2);
    EXPECT_TRUE(badStart.errors.contains("--start")) << badStart.errors.toStdString();
    EXPECT_TRUE(analyze({"--help"}).lines.join('\n').contains("3 the run was finished"));
}

// A length no reader can vouch for (a cut stream claims the longest there is) stamps from the
// file's own time; a recording on standard input, from when the run began.
TEST(Analyzer, RecordingsOfUnknownLengthAndOnStandardInput)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(44100 * 4);
    watch.generate(0, samples.data(), samples.size());
    const QString ogg = writeSound(
        dir, "watch.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 1, static_cast<sf_count_t>(samples.size()),
        [&](sf_count_t i, int) { return samples[static_cast<size_t>(i)] / 32768.0; });
    QFile cut(ogg);
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cut.resize(cut.size() * 3 / 4)); // in the middle of a page
    ASSERT_TRUE(
        cut.setFileTime(QDateTime(QDate(2026, 12, 7), QTime(11, 34, 0)), QFileDevice::FileModificationTime));
    cut.close();
    const AnalyzerRun fromCut = analyze({"--view", "1", ogg});
    ASSERT_EQ(fromCut.exitCode, 0) << fromCut.errors.toStdString();
    ASSERT_GE(fromCut.lines.size(), 3);
    EXPECT_TRUE(fromCut.lines[0].startsWith("\"20261207113401\",")) << fromCut.lines[0].toStdString();
    EXPECT_TRUE(fromCut.lines[1].startsWith("\"20261207113402\",")) << fromCut.lines[1].toStdString();

    const QString wav = writeWatch(dir, params, 3.5);
    const AnalyzerRun fromFile = analyze({"--view", "1", wav});
    ASSERT_EQ(fromFile.lines.size(), 4);
    for (const QString name : {"-", "/dev/stdin"}) {
        const QString before = QDateTime::currentDateTime().addSecs(1).toString("yyyyMMddHHmmss");
        const AnalyzerRun piped =
            run("bash", {"-c", "cat \"$1\" | \"$0\" --view 1 \"$2\"", kAnalyzer, wav, name});
        const QString after = QDateTime::currentDateTime().addSecs(1).toString("yyyyMMddHHmmss");
        ASSERT_EQ(piped.exitCode, 0) << name.toStdString() << ' ' << piped.errors.toStdString();
        ASSERT_EQ(piped.lines.size(), fromFile.lines.size());
        const QString stamp = piped.lines[0].mid(1, 14);
        EXPECT_TRUE(before <= stamp && stamp <= after) << stamp.toStdString();
        for (int i = 0; i < fromFile.lines.size(); ++i)
            EXPECT_EQ(piped.lines[i].mid(16), fromFile.lines[i].mid(16)) << "the same measurement";
    }
}

// Two runs at once into one folder, with one start, keep every file; a file-size limit
// (`ulimit -f`) refuses what does not fit, and the log still ends in a whole line.
TEST(Analyzer, RunsIntoOneFolderKeepEveryFileAndTheLogEndsWhole)
{
    QTemporaryDir dir;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const QString wav = writeWatch(dir, params, 3.5);
    const QString folder = dir.filePath("records");
    const QStringList arguments = {
        "--view", "1", "--record", folder, "--jpeg", "--start", "2026-12-07 11:34:00", wav};
    QProcess first, second;
    first.start(kAnalyzer, arguments);
    second.start(kAnalyzer, arguments);
    ASSERT_TRUE(first.waitForFinished(120000) && second.waitForFinished(120000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    const QDir records(folder);
    EXPECT_EQ(records.entryList({"*.csv"}), QStringList({"20261207113400-2.csv", "20261207113400.csv"}));
    EXPECT_EQ(records.entryList({"*.jpg"}),
              QStringList({"20261207113401-2.jpg", "20261207113401.jpg", "20261207113402-2.jpg",
                           "20261207113402.jpg", "20261207113403-2.jpg", "20261207113403.jpg"}));
    for (const QString &log : records.entryList({"*.csv"})) {
        QFile file(records.filePath(log));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll().count("\r\n"), 3) << log.toStdString();
    }

    // 5 KiB, past the trial write before the run: no snapshot fits, and the log only its first
    // lines, which it keeps, saying so.
    const QString longer = writeWatch(dir, params, 150.5);
    const QString limited = dir.filePath("limited");
    const AnalyzerRun cut = run("bash", {"-c", "ulimit -f 5; exec \"$0\" --view 1 --record \"$1\" \"$2\"",
                                         kAnalyzer, limited, longer});
    EXPECT_EQ(cut.exitCode, 3);
    ASSERT_EQ(cut.lines.size(), 151) << "every sweep is still measured and printed";
    EXPECT_TRUE(cut.errors.contains("Cannot write to the CSV log")) << cut.errors.toStdString();
    EXPECT_TRUE(cut.errors.contains(
        QString::fromStdString(std::make_error_code(std::errc::file_too_large).message())));
    const QStringList logs = QDir(limited).entryList({"*.csv"});
    ASSERT_EQ(logs.size(), 1);
    QFile log(QDir(limited).filePath(logs[0]));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    QByteArray fitting;
    for (const QString &line : cut.lines.mid(0, 150))
        if (fitting.size() + line.size() + 2 <= 5 * 1024)
            fitting += line.toUtf8() + "\r\n";
    EXPECT_EQ(logged, fitting) << "as many whole lines as fit";
    EXPECT_TRUE(cut.errors.contains(
        QStringLiteral("The lines written before it are kept (%1).").arg(logged.count("\r\n"))))
        << cut.errors.toStdString();
    EXPECT_EQ(QDir(limited).entryList({"*.bmp"}), QStringList()) << "no part of a snapshot, no temporary";
    EXPECT_EQ(QDir(limited).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// Signals without a watch give no reading at all, as silence gives none, through the real
// analyzer path with every setting at its default; and the positional test finds no beats.
TEST(Analyzer, NoReadingWithoutAWatch)
{
    const double pi = 3.14159265358979323846;
    std::vector<double> clicks(44100 * 12, 0.0); // random clicks, about five a second
    uint32_t seed = 12345;
    const auto random = [&seed] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
    for (double at = 2000; at < clicks.size() - 200;) {
        for (int t = 0; t < 150; ++t)
            clicks[static_cast<size_t>(at) + t] = 0.9 * std::exp(-t / 20.0) * std::cos(0.9 * t);
        at += 1500 - 8820 * std::log(1 - random());
    }
    const auto square = [](double hz) {
        return [hz](sf_count_t i, int) { return std::fmod(i * hz / 44100, 1.0) < 0.5 ? 1.0 : -1.0; };
    };
    const std::pair<const char *, std::function<double(sf_count_t, int)>> sounds[] = {
        {"level", [](sf_count_t, int) { return 0.6; }},
        {"square0.5", square(0.5)}, // its edges a second apart, as a seconds pendulum's beats
        {"square1", square(1)},
        {"square7", square(7)},
        {"square50", square(50)},
        {"square1000", square(1000)},
        {"tone", [&](sf_count_t i, int) { return 0.9 * std::sin(2 * pi * 1000 * i / 44100); }},
        {"hum",
         [&](sf_count_t i, int) {
             return 0.7 * std::sin(2 * pi * 50 * i / 44100) + 0.25 * std::sin(2 * pi * 150 * i / 44100);
         }},
        {"clipped", [&](sf_count_t, int) { return std::clamp(4 * (random() - 0.5), -1.0, 1.0); }},
        {"infinite", [](sf_count_t i, int) { return (i / 3) % 2 ? HUGE_VAL : -HUGE_VAL; }},
        {"clicks", [&](sf_count_t i, int) { return clicks[static_cast<size_t>(i)]; }},
    };
    QTemporaryDir dir;
    QStringList files;
    for (const auto &[name, signal] : sounds) {
        const QString wav = writeSound(dir, (name + std::string(".wav")).c_str(),
                                       SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, 44100 * 12, signal);
        // The default path, the automatic threshold, and the input filter's own measurement.
        for (const QString &path :
             {QString(), QStringLiteral("--auto-threshold"), QStringLiteral("--input-filter")}) {
            QStringList options = {"--view", "10", "--start", "2026-12-07 11:34:00", wav};
            if (!path.isEmpty())
                options.prepend(path);
            const AnalyzerRun run = analyze(options);
            ASSERT_EQ(run.exitCode, 0) << name << ' ' << run.errors.toStdString();
            EXPECT_EQ(run.lines, QStringList({"\"20261207113410\",0.0,,,,0.0000000000000000000",
                                              "FINAL, 00.0,0,00.0,0,,,,0,44100"}))
                << name << ' ' << path.toStdString();
            EXPECT_EQ(run.errors, "No watch heard in " + wav + "\n") << name << ' ' << path.toStdString();
        }
        files << wav;
    }
    QProcess positions;
    positions.start(kAnalyzer, QStringList{"--positions", "--position-names", "DU,DD,CU"} + files.mid(0, 3));
    ASSERT_TRUE(positions.waitForFinished(120000));
    const QStringList rows = QString::fromUtf8(positions.readAllStandardOutput()).split(QLatin1Char('\n'));
    ASSERT_GE(rows.size(), 4);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(rows[i].endsWith(",,,,,no beats")) << rows[i].toStdString();
    EXPECT_EQ(QString::fromUtf8(positions.readAllStandardError()),
              "No watch heard in " + files[0] + "\nNo watch heard in " + files[1] + "\nNo watch heard in " +
                  files[2] + "\n");
}

// A watch on a bench that is knocked for five seconds: the sweeps before and after the
// knocks read exactly as without them; the sweep of the knocks gives no averaged rate.
TEST(Analyzer, KnocksOnTheBenchDoNotReadAsAWatch)
{
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    params.rateSecondsPerDay = 6;
    params.beatErrorMs = 0.3;
    params.amplitudeDegrees = 280;
    const SyntheticWatch watch(params);
    std::vector<int16_t> clean(44100 * 41);
    watch.generate(0, clean.data(), clean.size());
    // From 14 s to 19 s the watch is drowned: thumps of the bench, each ringing at its own pitch.
    std::vector<double> knocked(clean.begin(), clean.end());
    uint32_t seed = 99;
    const auto random = [&seed] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
    for (size_t i = 44100 * 14; i < 44100 * 19; ++i)
        knocked[i] = 150 * (2 * random() - 1);
    for (double at = 44100 * 14; at < 44100 * 19 - 4000;) {
        const double level = 16000 + 16000 * random(), hz = 120 + 300 * random(),
                     decay = 600 + 1200 * random();
        for (int t = 0; t < 4000; ++t)
            knocked[static_cast<size_t>(at) + t] +=
                level * std::exp(-t / decay) * std::sin(2 * 3.14159265358979 * hz * t / 44100);
        at += 3500 - 9000 * std::log(1 - random());
    }
    QTemporaryDir dir;
    const auto write = [&](const char *name, const std::function<double(size_t)> &sample) {
        return writeSound(dir, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 44100 * 41,
                          [&](sf_count_t i, int) { return std::clamp(sample(i) / 32768.0, -1.0, 1.0); });
    };
    const QStringList options = {"--view", "10", "--start", "2026-12-07 11:34:00"};
    const AnalyzerRun plain =
        analyze(options + QStringList{write("clean.wav", [&](size_t i) { return clean[i]; })});
    const AnalyzerRun run =
        analyze(options + QStringList{write("knocked.wav", [&](size_t i) { return knocked[i]; })});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(plain.lines.size(), 5);
    ASSERT_EQ(run.lines.size(), 5);
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(run.lines[i], plain.lines[i]) << i;
    const QStringList after = run.lines[2].split(',');
    EXPECT_NEAR(after[2].toDouble(), 280, 3) << "and that reads right";
    EXPECT_NEAR(after[3].toDouble(), 0.3, 0.05);
    EXPECT_FALSE(after[4].isEmpty());
    EXPECT_EQ(run.lines[1].split(',')[4], "") << run.lines[1].toStdString();
}

// Watches between whole beats a second (19 800 and 16 200 bph, 5.5 and 4.5 beats/s) on the
// default path: the beat counter's whole count of a second is a beat too many or too few, and
// a sweep measured at it reads thousands of seconds a day off. The beats' own spacing shows
// the rate: the sweeps read at it, or nothing.
TEST(Analyzer, AWatchBetweenWholeBeatsASecondReadsAtItsOwnRate)
{
    QTemporaryDir dir;
    for (const double bph : {19800.0, 16200.0, 9000.0}) {
        SyntheticWatchParams params;
        params.beatsPerHour = bph;
        params.rateSecondsPerDay = 4;
        params.beatErrorMs = 0.3;
        params.amplitudeDegrees = 280;
        const AnalyzerRun run = analyze({"--view", "10", writeWatch(dir, params, 42)});
        ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_GE(run.lines.size(), 2);
        int read = 0;
        for (const QString &line : run.lines.mid(0, run.lines.size() - 1)) {
            const QStringList fields = line.split(',');
            ASSERT_EQ(fields.size(), 6) << line.toStdString();
            if (fields[4].isEmpty())
                continue;
            ++read;
            EXPECT_EQ(fields[1].toDouble(), bph / 3600) << line.toStdString();
            EXPECT_NEAR(fields[4].toDouble(), 4, 0.5) << line.toStdString();
            EXPECT_NEAR(fields[3].toDouble(), 0.3, 0.05) << line.toStdString();
        }
        EXPECT_GE(read, 3) << bph << " bph: " << run.lines.join('\n').toStdString();
        const QStringList final = finalFields(run);
        EXPECT_NEAR(final[7].split(' ')[0].toDouble(), 4, 0.5) << run.lines.last().toStdString();
    }
}

// The end of a recording is no sweep's: FINAL gives the readouts as the last finished sweep left
// them. A watch laid down only after the second sweep ended, read in the 8 s left, is shown by
// no sweep line, so FINAL shows it neither, and stderr says why.
TEST(Analyzer, FinalShowsOnlyWhatAFinishedSweepShowed)
{
    // The room alone until just before the second sweep ends.
    const std::vector<int16_t> samples = watchInTheRoom(44100 * 38, 0, 44100 * 20 - 2205, 3);
    QTemporaryDir dir;
    const auto write = [&](const char *name, double seconds) {
        return writeSound(dir, name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1,
                          static_cast<sf_count_t>(seconds * 44100),
                          [&](sf_count_t i, int) { return samples[static_cast<size_t>(i)] / 32768.0; });
    };
    const AnalyzerRun run = analyze({"--view", "10", write("late.wav", 28)});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 3) << run.lines.join('\n').toStdString();
    EXPECT_EQ(run.lines[2], "FINAL, 00.0,0,00.0,0,,,,0,44100");
    EXPECT_TRUE(run.errors.startsWith("No sweep of ") && run.errors.contains("ended with a reading: the last 8 s"))
        << "why FINAL is blank: " << run.errors.toStdString();

    // A full sweep more, and FINAL gives what it read: the watch.
    const AnalyzerRun more = analyze({"--view", "10", write("longer.wav", 38)});
    ASSERT_EQ(more.lines.size(), 4) << more.lines.join('\n').toStdString();
    const QStringList third = more.lines[2].split(',');
    const QStringList final = more.lines[3].split(',');
    EXPECT_NEAR(third[4].toDouble(), 10, 0.5) << more.lines.join('\n').toStdString();
    EXPECT_EQ(final[7], third[4] + " sec/day");
    EXPECT_EQ(final[5], third[3] + " msec");
}

// A watch that stops at 65 s: the sweeps after it log empty fields, as silence does, and so does
// FINAL; the report's summary holds only the sweeps that heard it.
TEST(Analyzer, AWatchThatStopsLeavesNoFiguresBehind)
{
    // Ten sweeps of 10 s and their last samples; the room alone once the watch has stopped.
    const std::vector<int16_t> samples = watchInTheRoom(44100 * 101, 44100 * 65, 44100 * 101, 7);
    QTemporaryDir dir;
    const QString wav =
        writeSound(dir, "stops.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, static_cast<sf_count_t>(samples.size()),
                   [&](sf_count_t i, int) { return samples[static_cast<size_t>(i)] / 32768.0; });
    const AnalyzerRun run = analyze(
        {"--view", "10", "--start", "2026-12-07 11:34:00", "--report", dir.filePath("report.svg"), wav});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_EQ(run.lines.size(), 12) << run.lines.join('\n').toStdString();
    for (int sweep = 2; sweep <= 6; ++sweep) {
        const QStringList fields = run.lines[sweep - 1].split(',');
        EXPECT_EQ(fields[1], "5.0") << run.lines[sweep - 1].toStdString();
        EXPECT_NEAR(fields[4].toDouble(), 10, 0.2) << run.lines[sweep - 1].toStdString();
    }
    for (int sweep = 8; sweep <= 10; ++sweep)
        EXPECT_EQ(run.lines[sweep - 1],
                  QStringLiteral("\"202612071135%1\",0.0,,,,0.0000000000000000000").arg(sweep * 10 - 60, 2, 10,
                                                                                         QLatin1Char('0')))
            << "the watch stopped at 65 s";
    EXPECT_EQ(run.lines[10], "FINAL, 00.0,0,00.0,0,,,,0,44100");
    const QStringList summary = run.lines[11].split(',');
    ASSERT_EQ(summary.size(), 11) << run.lines[11].toStdString();
    EXPECT_LE(summary[1].toInt(), 70) << "the sweeps that heard the watch";
    EXPECT_NEAR(summary[4].toDouble(), 10, 0.5) << "the greatest rate is the watch's";
}

