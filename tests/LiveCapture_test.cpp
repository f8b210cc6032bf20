// Capture from a real sound server into the window's sample history. These tests run
// only inside tests/e2e/live_capture.sh, which starts a private PulseAudio server whose
// default source records what is played into its null sink.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cstdlib>
#include <vector>

#include "RunUntil.h"
#include "app/TApplication.h"
#include "app/TForm1.h"
#include "capture/PulseConnection.h"
#include "capture/PulseSoundService.h"
#include "capture/WinWave.h"

using namespace tamsel;
using tamsel::test::runUntil;

namespace {

bool liveServer()
{
    return std::getenv("TAMSEL_LIVE_PULSE") != nullptr;
}

// Pseudo-random samples that are never 0, so that silence in the history is recognisable.
std::vector<int16_t> pattern(size_t count, uint32_t seed)
{
    std::vector<int16_t> samples(count);
    uint32_t x = seed;
    for (size_t i = 0; i < count; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        int v = static_cast<int>(x % 60001) - 30000;
        if (v > -100 && v < 100)
            v = v < 0 ? -100 - v : 100 + v;
        samples[i] = static_cast<int16_t>(v);
    }
    // Sparse full-scale clicks at known places.
    for (size_t i = 1000; i + 3 < count; i += 44100 / 3)
        samples[i] = samples[i + 1] = samples[i + 2] = -32768;
    return samples;
}

void writeWav(const QString &path, const std::vector<int16_t> &samples)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    ASSERT_EQ(sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size())),
              static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

struct Capture {
    std::vector<QString> errors;
    Capture()
    {
        SetExceptionSink([this](const QString &text) { errors.push_back(text); });
    }
    ~Capture() { SetExceptionSink(nullptr); }
};

int32_t firstNonZero(const TForm1 &form)
{
    for (int32_t i = 0; i < form.state.writeIndex; ++i)
        if (form.state.sampleHistory[i] != 0)
            return i;
    return -1;
}

} // namespace

TEST(LiveCapture, HistoryHoldsWhatWasPlayedBitExact)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_capture.sh";
    Capture capture;
    QTemporaryDir dir;
    const size_t seconds = 32;
    std::vector<int16_t> played(44100, 0); // a leading second of silence
    const std::vector<int16_t> signal = pattern(seconds * 44100, 12345);
    played.insert(played.end(), signal.begin(), signal.end());
    writeWav(dir.filePath("pattern.wav"), played);

    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    TForm1 form(nullptr, design);
    form.show();
    runUntil([&] { return form.WinWaveIn1->Started(); }, 5000);
    ASSERT_TRUE(form.WinWaveIn1->Started())
        << (capture.errors.empty() ? "" : capture.errors[0].toStdString());

    QProcess player;
    player.start("paplay", {dir.filePath("pattern.wav")});
    ASSERT_TRUE(player.waitForStarted());
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 60000);
    runUntil([] { return false; }, 1500); // the last buffers

    ASSERT_TRUE(capture.errors.empty()) << capture.errors[0].toStdString();
    const int32_t start = firstNonZero(form);
    ASSERT_GE(start, 0);
    ASSERT_GE(form.state.writeIndex - start, static_cast<int32_t>(30 * 44100)) << "less than 30 s captured";
    const size_t compared =
        std::min<size_t>(signal.size(), static_cast<size_t>(form.state.writeIndex - start));
    size_t mismatches = 0;
    size_t firstMismatch = 0;
    for (size_t k = 0; k < compared; ++k) {
        const int v = signal[k];
        const uint16_t expected = static_cast<uint16_t>(v < 0 ? -v : v);
        if (form.state.sampleHistory[start + static_cast<int32_t>(k)] != expected && mismatches++ == 0)
            firstMismatch = k;
    }
    EXPECT_EQ(mismatches, 0u) << "first at pattern sample " << firstMismatch;
    EXPECT_EQ(form.lostSamples(), 0);
    form.close();
    runUntil([&] { return !form.WinWaveIn1->Opened(); }, 5000);
    EXPECT_FALSE(form.WinWaveIn1->Opened());
}

TEST(LiveCapture, RingOverflowIsCountedFilledAndReported)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_capture.sh";
    Capture capture;
    QTemporaryDir dir;
    std::vector<int16_t> played(44100, 0);
    const std::vector<int16_t> signal = pattern(10 * 44100, 777);
    played.insert(played.end(), signal.begin(), signal.end());
    writeWav(dir.filePath("noise.wav"), played);

    LiveCaptureOptions small;
    small.ringSamples = 44100 / 2;
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    TForm1 form(makeLiveSoundService(small), design);
    form.show();
    runUntil([&] { return form.WinWaveIn1->Started(); }, 5000);
    ASSERT_TRUE(form.WinWaveIn1->Started());

    QProcess player;
    player.start("paplay", {dir.filePath("noise.wav")});
    ASSERT_TRUE(player.waitForStarted());
    runUntil([&] { return firstNonZero(form) >= 0; }, 10000);
    QThread::sleep(4); // the window stalls: buffers stop coming back, the ring overflows
    runUntil([&] { return player.state() == QProcess::NotRunning; }, 60000);
    runUntil([] { return false; }, 1500);

    const int64_t lost = form.lostSamples();
    EXPECT_GT(lost, 44100) << "a 4 s stall with 1.5 s of room must lose audio";
    EXPECT_LT(lost, 4 * 44100);
    EXPECT_NE(form.StatusBar1->captureNote().indexOf("Audio lost"), -1);

    // The gap is in the history as silence of exactly the lost length, inside the signal.
    const int32_t start = firstNonZero(form);
    int32_t end = form.state.writeIndex - 1;
    while (end > start && form.state.sampleHistory[end] == 0)
        --end;
    int64_t zeros = 0;
    for (int32_t i = start; i <= end; ++i)
        zeros += form.state.sampleHistory[i] == 0;
    EXPECT_EQ(zeros, lost);
    // And the time axis stays true: the signal spans its played length.
    EXPECT_NEAR(end - start + 1, static_cast<int64_t>(signal.size()), 200);
    form.close();
    runUntil([&] { return !form.WinWaveIn1->Opened(); }, 5000);
}

TEST(LiveCapture, ServerRestartIsSurvivedAndTheWindowClosesNormally)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_capture.sh";
    const QString server = qEnvironmentVariable("TAMSEL_PULSE_SERVER_SCRIPT");
    ASSERT_FALSE(server.isEmpty());
    Capture capture;
    QTemporaryDir dir;
    TForm1Design design;
    design.settingsFile = dir.filePath("Quorlen.ini");
    TForm1 form(nullptr, design);
    form.show();
    runUntil([&] { return form.WinWaveIn1->Started(); }, 5000);
    ASSERT_TRUE(form.WinWaveIn1->Started());
    runUntil([] { return false; }, 1000);

    // The server goes away for about two seconds and comes back.
    QProcess::execute("bash", {server, "stop"});
    runUntil([&] { return form.StatusBar1->captureNote().contains("Sound server lost"); }, 5000);
    EXPECT_TRUE(form.StatusBar1->captureNote().contains("Sound server lost"))
        << form.StatusBar1->captureNote().toStdString();
    const int32_t before = form.state.writeIndex;
    runUntil([] { return false; }, 2000);
    EXPECT_GT(form.state.writeIndex, before + 44100) << "silence keeps the time axis going while it is away";
    QProcess::execute("bash", {server, "start"});
    runUntil([&] { return !form.StatusBar1->captureNote().contains("Sound server lost"); }, 10000);
    EXPECT_FALSE(form.StatusBar1->captureNote().contains("Sound server lost")) << "reconnected";
    EXPECT_GT(form.lostSamples(), 44100) << "the outage is counted as lost audio";
    EXPECT_TRUE(capture.errors.empty());

    form.close();
    runUntil([&] { return !form.WinWaveIn1->Opened(); }, 5000);
    EXPECT_FALSE(form.WinWaveIn1->Opened());
    EXPECT_FALSE(form.isVisible());
}

// The server refuses a stream while the device opens (a source holds at most 256 streams):
// the open fails with the server's reason, and the device opens once there is room again.
TEST(LiveCapture, StreamRefusedWhileOpeningIsAnErrorOfTheOpen)
{
    if (!liveServer())
        GTEST_SKIP() << "needs the private sound server of tests/e2e/live_capture.sh";
    PulseConnection other;
    ASSERT_EQ(other.connect(), 0);
    std::vector<pa_stream *> streams;
    {
        PulseLock lock(other.loop());
        const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
        for (int i = 0; i < 256; ++i) {
            pa_stream *stream = pa_stream_new(other.context(), "other", &format, nullptr);
            ASSERT_NE(stream, nullptr);
            pa_stream_connect_record(stream, nullptr, nullptr, PA_STREAM_START_CORKED);
            streams.push_back(stream);
        }
        other.waitFor([&] {
            for (pa_stream *stream : streams)
                if (pa_stream_get_state(stream) == PA_STREAM_CREATING)
                    return false;
            return true;
        });
    }
    auto release = [&](size_t count) {
        PulseLock lock(other.loop());
        for (; count > 0 && !streams.empty(); --count) {
            pa_stream_disconnect(streams.back());
            pa_stream_unref(streams.back());
            streams.pop_back();
        }
    };

    TWinWaveIn device(nullptr);
    device.SetBitsPerSample(16);
    device.SetChannels(1);
    device.SetSamplesPerSec(44100);
    std::string error;
    try {
        device.Open();
    } catch (const EWinWave &e) {
        error = e.what();
    }
    EXPECT_FALSE(device.Opened());
    EXPECT_EQ(error, pa_strerror(PA_ERR_TOOLARGE)) << "the server's refusal is the open's error";

    release(streams.size());
    device.Open();
    EXPECT_TRUE(device.Opened());
    device.Close();
}
