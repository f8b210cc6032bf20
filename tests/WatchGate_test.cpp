// The watch test on the default path, on watches it misjudged: a right reading is never
// hidden, and one that the beats' own spacing contradicts is never shown.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <samplerate.h>
#include <sndfile.h>

#include <cmath>
#include <random>

#include "AnalyzerProcess.h"
#include "SyntheticWatch.h"
#include "measurement/MeasurementState.h"
#include "measurement/PlausibleMeasures.h"

using namespace tamsel::test;

namespace {

constexpr double kPi = 3.14159265358979323846;

QString writeWav(const QTemporaryDir &dir, const char *name, const std::vector<float> &samples)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

std::vector<float> heard(const SyntheticWatch &watch, double seconds)
{
    const std::vector<int16_t> s = watch.Samples(0, static_cast<int64_t>(seconds * 44100));
    std::vector<float> v(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        v[i] = static_cast<float>(s[i] / 32768.0);
    return v;
}

// What a sound card whose clock runs `ratio` fast records of `samples`.
std::vector<float> resampled(const std::vector<float> &samples, double ratio)
{
    std::vector<float> out(static_cast<size_t>(samples.size() * ratio) + 64);
    SRC_DATA data{};
    data.data_in = samples.data();
    data.input_frames = static_cast<long>(samples.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    EXPECT_EQ(src_simple(&data, SRC_SINC_BEST_QUALITY, 1), 0);
    out.resize(static_cast<size_t>(data.output_frames_gen));
    return out;
}

struct Reading {
    double beatsPerSecond = 0; // 0: blank
    QString rate;              // s/day; empty: blank
    QString beatError;         // ms
    QString amplitude;         // degrees
};

// The sweeps' CSV lines, then the FINAL line, as the status bar has them.
std::vector<Reading> readings(const AnalyzerRun &run)
{
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    std::vector<Reading> lines;
    for (const QString &text : run.lines) {
        const QStringList f = text.split(',');
        if (f[0] == "FINAL")
            lines.push_back(
                {f[1].toDouble(), f[7].section(' ', 0, 0), f[5].section(' ', 0, 0), f[6].section(' ', 0, 0)});
        else
            lines.push_back({f[1].toDouble(), f[4], f[3], f[2]});
    }
    return lines;
}

// Every rate shown is the watch's, at its own beat rate; returns how many lines show one.
int rightReadings(const std::vector<Reading> &lines, double beatsPerSecond, double rate, double tolerance)
{
    int shown = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const Reading &line = lines[i];
        EXPECT_TRUE(line.beatsPerSecond == 0 || line.beatsPerSecond == beatsPerSecond) << line.beatsPerSecond;
        if (line.rate.isEmpty())
            continue;
        EXPECT_EQ(line.beatsPerSecond, beatsPerSecond) << "a rate needs its beat rate";
        EXPECT_NEAR(line.rate.toDouble(), rate, tolerance);
        ++shown;
    }
    return shown;
}

} // namespace

// A contact microphone on a noisy bench: hiss of 2 900, hum of 1 200 and half a stray click a
// second among the beats, wherever the clicks fall. The beat rate is never one a click counted,
// and a beat error or amplitude taken from a click, or from a pulse whose start is lost in the
// hiss, is never shown: what is shown is the watch's, and most sweeps show its rate.
TEST(WatchGate, ANoisyContactMicrophoneShowsOnlyTheWatchsReadings)
{
    QTemporaryDir dir;
    const SyntheticWatch watch(WatchParams{.beatsPerHour = 18000,
                                           .rateSecondsPerDay = 6,
                                           .beatErrorMs = 0.6,
                                           .amplitudeDegrees = 270,
                                           .noise = 2900});
    const std::vector<float> clean = heard(watch, 125);
    int rates = 0;
    for (const unsigned clicks : {5u, 6u, 7u, 8u}) {
        SCOPED_TRACE(clicks);
        std::vector<float> v = clean;
        std::mt19937 random(clicks);
        std::uniform_real_distribution<double> at(0, static_cast<double>(v.size())), level(0.4, 0.9);
        for (int k = 0; k < 62; ++k) {
            const auto start = static_cast<size_t>(at(random));
            const double peak = level(random);
            for (size_t t = 0; t < 300 && start + t < v.size(); ++t)
                v[start + t] +=
                    static_cast<float>(peak * std::exp(-double(t) / 30) * std::cos(0.5 * double(t)));
        }
        for (size_t i = 0; i < v.size(); ++i)
            v[i] += static_cast<float>(1200.0 / 32768 * std::sin(2 * kPi * 50 * double(i) / 44100));
        const AnalyzerRun run = analyze({writeWav(dir, "contact.wav", v)});
        std::vector<Reading> lines = readings(run);
        ASSERT_EQ(lines.size(), 3u);
        for (const Reading &line : lines) {
            if (!line.beatError.isEmpty()) {
                EXPECT_NEAR(line.beatError.toDouble(), 0.6, 0.1) << run.lines.join('\n').toStdString();
            }
            if (!line.amplitude.isEmpty()) {
                EXPECT_NEAR(line.amplitude.toDouble(), 270, 10) << run.lines.join('\n').toStdString();
            }
        }
        // The FINAL line, 5 s into a third sweep, shows what the last finished sweep showed.
        EXPECT_EQ(lines[2].beatsPerSecond, lines[1].beatsPerSecond);
        EXPECT_EQ(lines[2].rate, lines[1].rate);
        EXPECT_EQ(lines[2].beatError, lines[1].beatError);
        EXPECT_EQ(lines[2].amplitude, lines[1].amplitude);
        lines.pop_back();
        rates += rightReadings(lines, 5, 6, 0.5);
    }
    EXPECT_GE(rates, 5); // of 8 sweeps: the others counted through clicks, and say nothing
}

// A gaining watch that misses beats: the averaged rate counts beats through the gaps, and a
// sweep whose count went wrong reads hundreds of seconds a day off. The spacing of its beats
// says so: such a sweep shows no rate, and the others read right.
TEST(WatchGate, BeatsCountedWrongThroughMissedBeatsShowNoRate)
{
    QTemporaryDir dir;
    SyntheticWatch watch(WatchParams{.beatsPerHour = 18000, .rateSecondsPerDay = 60, .beatErrorMs = 0.4});
    for (int k = 7; k < 700; k += 23)
        watch.Miss(k);
    for (int k = 30; k < 700; k += 71) {
        watch.Miss(k);
        watch.Miss(k + 1);
    }
    const std::vector<Reading> lines =
        readings(analyze({"--view", "10", writeWav(dir, "missed.wav", heard(watch, 125))}));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_GE(rightReadings(lines, 5, 60, 0.5), 7);
}

// A clean watch whose peaks stand just above the default threshold, through a card 10 ppm fast:
// softened by the resampling, some beats fall below it. Whatever the view, no rate is shown
// that the beats' spacing contradicts; the sweeps that counted right read the watch
// (-3.24 s/day, less the card's 0.864).
TEST(WatchGate, PeaksJustAboveTheThresholdReadRightOrNothing)
{
    QTemporaryDir dir;
    const SyntheticWatch watch(WatchParams{
        .beatsPerHour = 21600, .rateSecondsPerDay = -3.24, .beatErrorMs = 0.3, .peakLevel = 18300});
    const QString wav = writeWav(dir, "faint.wav", resampled(heard(watch, 125), 1.00001));
    const double truth = ((1 - 3.24 / 86400) / 1.00001 - 1) * 86400;
    EXPECT_GE(rightReadings(readings(analyze({wav})), 6, truth, 0.1), 1);
    EXPECT_GE(rightReadings(readings(analyze({"--view", "10", wav})), 6, truth, 0.1), 2);
}

// The rules on beat detection's own beats, alone: a rate its beats' spacing does not confirm
// or past the counted rate's tolerance, and a beat error far from the latest, are refused.
TEST(PlausibleMeasures, WhatTheBeatsContradictIsRefused)
{
    tamsel::MeasurementState state;
    state.samplesPerSecond = 44100;
    state.beatsPerSecond = 5;
    const double ratio = 10 / 86400.0; // 10 s/day fast
    const double period = 44100 / 5 * (1 - ratio);
    state.rateRatio = ratio;
    tamsel::PlausibleMeasures rules;
    EXPECT_FALSE(rules.rateCounted(10, state, true)) << "no beats yet confirm the count";
    for (int i = 0; i < 8; ++i) {
        tamsel::Beat beat;
        beat.beatTime = static_cast<int32_t>(std::lround(1000 + i * period));
        beat.inStep = true;
        rules.followSpacing(beat);
    }
    EXPECT_TRUE(rules.rateCounted(10, state, true));
    state.rateRatio = 60 / 86400.0; // a beat miscounted over the span
    EXPECT_FALSE(rules.rateCounted(60, state, true));
    state.rateMode = 1; // the two-beat rate counts no span
    EXPECT_TRUE(rules.rateCounted(60, state, true));
    EXPECT_FALSE(rules.rateCounted(1100, state, true)) << "past a standard rate's tolerance";
    EXPECT_TRUE(rules.rateCounted(1100, state, false)) << "a beat rate set by hand may run any rate";
    state.rateMode = 0;
    state.rateRatio = ratio;
    rules.newSweep();
    EXPECT_FALSE(rules.rateCounted(10, state, true)) << "the spacing is the sweep's own";

    for (double ms : {0.5, 0.6, 0.5, 0.55})
        EXPECT_TRUE(rules.steadyBeatError(ms)) << ms;
    EXPECT_FALSE(rules.steadyBeatError(3.0)) << "a click's";
    EXPECT_TRUE(rules.steadyBeatError(0.5)) << "the watch's again";
}
