// Recordings as a sound source: the file service under the capture component, the reader
// behind it (formats, rates, channels, bad files) and the generated demonstration watch.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <system_error>

#include "app/TApplication.h"
#include "capture/AudioFile.h"
#include "capture/FileSoundService.h"
#include "capture/SyntheticWatch.h"
#include "capture/WinWave.h"
#include "measurement/Numbers.h"

using namespace tamsel;

namespace {

constexpr size_t kBufferSamples = 11024;

// Writes interleaved 16-bit frames in the given container and sample format.
std::string writeSound(const QTemporaryDir &dir, const std::string &name, const std::vector<int16_t> &frames,
                       int rate = 44100, int channels = 1, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16)
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE *f = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_short(f, frames.data(), static_cast<sf_count_t>(frames.size() / channels));
    sf_close(f);
    return path;
}

std::string writeBytes(const QTemporaryDir &dir, const std::string &name, const std::string &bytes)
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::vector<int16_t> ramp(size_t n)
{
    std::vector<int16_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<int16_t>(static_cast<int32_t>(i * 7919 % 65536) - 32768);
    return v;
}

// The capture component over a file service, with four buffers circulating as the
// window's acquisition does: each returned buffer is kept and queued again.
struct Player {
    FileSoundService *service;
    std::vector<std::unique_ptr<TWinWaveBuffer>> buffers; // outlive the device, which closes
    TWinWaveIn in;
    std::vector<int16_t> samples;
    std::vector<size_t> sizes;
    int ends = 0;
    bool requeue = true;
    int nested = 0, maxNested = 0;

    explicit Player(FileSoundOptions options)
        : service(new FileSoundService(withEnd(std::move(options), ends))),
          in(nullptr, std::unique_ptr<SoundService>(service))
    {
        // An error in a handler would otherwise wait in a message box.
        SetExceptionSink([](const QString &text) { ADD_FAILURE() << text.toStdString(); });
        in.SetChannels(1);
        for (int i = 0; i < 4; ++i)
            buffers.push_back(std::make_unique<TWinWaveBuffer>(22048));
        in.OnOpen = [this](QObject *) {
            for (auto &b : buffers) {
                b->Prepare(&in);
                b->Queue();
            }
            in.Start();
        };
        in.OnReturnBuffer = [this](TWinWaveDevice *, TWinWaveBuffer *buf) {
            maxNested = std::max(maxNested, ++nested);
            const auto *data = reinterpret_cast<const int16_t *>(buf->Data());
            samples.insert(samples.end(), data, data + buf->BytesRecorded() / 2);
            sizes.push_back(buf->BytesRecorded() / 2);
            QCoreApplication::processEvents(); // as the window's handler does
            if (requeue)
                buf->Queue();
            --nested;
        };
    }

    static FileSoundOptions withEnd(FileSoundOptions options, int &ends)
    {
        options.onEnd = [&ends] { ++ends; };
        return options;
    }

    // Runs the event loop until `done`, or gives up after a generous while (no hang).
    template <typename Pred> bool runUntil(Pred done)
    {
        QElapsedTimer guard;
        guard.start();
        while (!done() && guard.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return done();
    }
};

FileSoundOptions fileOptions(const std::string &path, bool paced = false)
{
    FileSoundOptions o;
    o.path = path;
    o.paced = paced;
    return o;
}

// Frequency of a sine by its rising zero crossings, from the first to the last.
double sineFrequency(const std::vector<int16_t> &s)
{
    size_t first = 0, last = 0, count = 0;
    for (size_t i = 1; i < s.size(); ++i)
        if (s[i - 1] < 0 && s[i] >= 0)
            (count++ ? last : first) = i;
    return count < 2 ? 0 : (count - 1) * 44100.0 / static_cast<double>(last - first);
}

std::string playError(const std::string &path)
{
    Player p(fileOptions(path));
    try {
        p.in.Open();
    } catch (const EWinWave &e) {
        EXPECT_EQ(p.service->error(), e.what());
        EXPECT_TRUE(p.in.ProductName().empty());
        return e.what();
    }
    return "";
}

} // namespace

TEST(FileSoundService, PlaysTheFileBitExactInOrderThenEnds)
{
    QTemporaryDir dir;
    const std::vector<int16_t> sound = ramp(3 * kBufferSamples + 500);
    Player p(fileOptions(writeSound(dir, "tick.wav", sound)));
    EXPECT_EQ(p.in.ProductName(), "tick.wav");
    p.in.Open();
    ASSERT_TRUE(p.runUntil([&] { return p.ends > 0; }));
    EXPECT_EQ(p.samples, sound);
    EXPECT_EQ(p.sizes, (std::vector<size_t>{kBufferSamples, kBufferSamples, kBufferSamples, 500}));
    EXPECT_TRUE(p.service->ended());
    EXPECT_EQ(p.maxNested, 1) << "a buffer came back inside the handler of the one before";

    // Nothing more after the end; a new opening plays from the start again.
    QCoreApplication::processEvents();
    EXPECT_EQ(p.sizes.size(), 4u);
    EXPECT_EQ(p.ends, 1);
    // The buffers stay queued after the end; closing lets go of them.
    p.in.Stop();
    p.in.Close();
    for (auto &b : p.buffers)
        b->Unprepare();
    p.samples.clear();
    p.in.Open();
    ASSERT_TRUE(p.runUntil([&] { return p.ends > 1; }));
    EXPECT_EQ(p.samples, sound);
}

TEST(FileSoundService, UnpacedHandsBackTheNextBufferOnlyAfterTheLastWasQueued)
{
    FileSoundOptions o;
    o.source = std::make_unique<MemorySource>(ramp(10 * kBufferSamples), "memory");
    Player p(std::move(o));
    p.requeue = false;
    p.in.Open();
    ASSERT_TRUE(p.runUntil([&] { return !p.sizes.empty(); }));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(p.sizes.size(), 1u) << "three buffers were queued, yet only one may be out";

    // Unpreparing the held buffer also counts as handing it back (the closing path).
    p.buffers[0]->Unprepare();
    ASSERT_TRUE(p.runUntil([&] { return p.sizes.size() == 2; }));
    p.buffers[1]->Queue();
    ASSERT_TRUE(p.runUntil([&] { return p.sizes.size() == 3; }));
    EXPECT_EQ(p.in.QueuedCount(), 2);
    const std::vector<int16_t> all = ramp(3 * kBufferSamples);
    EXPECT_EQ(p.samples, all);
    EXPECT_FALSE(p.service->ended());
}

TEST(FileSoundService, LoopStartsOverWithoutAGap)
{
    FileSoundOptions o;
    o.source = std::make_unique<MemorySource>(ramp(1000), "short");
    o.loop = true;
    Player p(std::move(o));
    p.in.Open();
    ASSERT_TRUE(p.runUntil([&] { return p.sizes.size() >= 3; }));
    p.in.Stop();
    const std::vector<int16_t> once = ramp(1000);
    for (size_t i = 0; i < p.samples.size(); ++i)
        ASSERT_EQ(p.samples[i], once[i % 1000]) << i;
    EXPECT_EQ(p.sizes[2], kBufferSamples);
    EXPECT_EQ(p.ends, 0);
}

TEST(FileSoundService, PacedPlaysTheSameSamples)
{
    QTemporaryDir dir;
    const std::vector<int16_t> sound = ramp(kBufferSamples + 300);
    Player p(fileOptions(writeSound(dir, "paced.wav", sound), true));
    p.in.Open();
    ASSERT_TRUE(p.runUntil([&] { return p.ends > 0; }));
    EXPECT_EQ(p.samples, sound);
    EXPECT_EQ(p.sizes, (std::vector<size_t>{kBufferSamples, 300}));
}

TEST(FileSoundService, BadFilesGiveOneLineErrorsAndNoDevice)
{
    QTemporaryDir dir;
    const std::string good = writeSound(dir, "good.wav", ramp(4000));
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // What cannot be opened says so with the system's reason; what is no audio, that it is not
    // a recording Tamsel can read, and why.
    const std::string missing = dir.filePath("missing.wav").toStdString();
    const std::pair<std::string, std::string> cases[] = {
        {writeBytes(dir, "empty.wav", ""), "(the file is empty)"},
        {writeBytes(dir, "truncated.wav", bytes.substr(0, 20)), "Malformed"},
        {writeBytes(dir, "notes.wav", "These are my notes, not a recording.\nSecond line.\n"),
         "(Format not recognised)"},
        {writeSound(dir, "silent.wav", {}), "(it holds no sound)"},
        {missing, ""},
    };
    for (const auto &[path, reason] : cases) {
        const std::string error = playError(path);
        if (path == missing)
            EXPECT_EQ(error, "Cannot read the recording " + path + ": " +
                                 std::make_error_code(std::errc::no_such_file_or_directory).message() + ".");
        else
            EXPECT_TRUE(error.starts_with(path + " is not a recording Tamsel can read (") &&
                        error.find(reason) != std::string::npos)
                << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    EXPECT_EQ(playError(""), "No recording was given.");
}

TEST(FileSoundService, ProductNameIsCutOnACharacterBoundary)
{
    QTemporaryDir dir;
    // 15 two-byte letters: 30 bytes, then ".wav"; the cut at 31 bytes would split a letter.
    std::string name;
    for (int i = 0; i < 15; ++i)
        name += "\xC3\x84";
    Player p(fileOptions(writeSound(dir, name + "x.wav", ramp(100))));
    EXPECT_EQ(p.in.ProductName(), name + "x");
    Player r(fileOptions(writeSound(dir, "xy" + name + ".wav", ramp(100))));
    EXPECT_EQ(r.in.ProductName(), "xy" + name.substr(0, 28));
}

TEST(AudioFile, MixesChannelsAndConvertsSampleTypes)
{
    QTemporaryDir dir;
    // The mean of the channels, halves away from zero.
    const std::vector<int16_t> stereo = {3, 4, -3, -4, 32767, 32767, -32768, -32768, 1, -2, 100, 0};
    std::vector<int16_t> got;
    std::string error;
    ASSERT_TRUE(AudioFile::readAll(writeSound(dir, "s.wav", stereo, 44100, 2), got, error)) << error;
    EXPECT_EQ(got, (std::vector<int16_t>{4, -4, 32767, -32768, -1, 50}));

    // 8-bit keeps the high byte; 24-bit and float come back as the 16-bit values written.
    const std::vector<int16_t> coarse = {0, 256, -256, 32512, -32768, 12800};
    const std::vector<int16_t> fine = {0, 1, -1, 32767, -32768, 12345};
    ASSERT_TRUE(AudioFile::readAll(
        writeSound(dir, "u8.wav", coarse, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8), got, error))
        << error;
    EXPECT_EQ(got, coarse);
    ASSERT_TRUE(AudioFile::readAll(
        writeSound(dir, "f.flac", fine, 44100, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_24), got, error));
    EXPECT_EQ(got, fine);
}

TEST(AudioFile, EveryWavAndFlacSampleFormatReadsAtTheLevelItWasRecorded)
{
    QTemporaryDir dir;
    // A quiet watch: decaying 4 kHz bursts peaking near 1 800 over a faint hiss, as a
    // microphone gives them; the float formats hold it in -1..1 as recorders write them.
    std::vector<int16_t> sound(44100);
    for (size_t i = 0; i < sound.size(); ++i) {
        const double t = static_cast<double>(i % 7350) / 44100;
        sound[i] =
            static_cast<int16_t>(std::lround(1800 * std::exp(-t * 900) * std::sin(2 * M_PI * 4000 * t) +
                                             static_cast<int>(i * 7919 % 41) - 20));
    }
    const int16_t peak = *std::max_element(sound.begin(), sound.end());
    int subtypes = 0;
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &subtypes, sizeof subtypes);
    int tried = 0;
    for (const int major : {SF_FORMAT_WAV, SF_FORMAT_FLAC})
        for (int k = 0; k < subtypes; ++k) {
            SF_FORMAT_INFO subtype{};
            subtype.format = k;
            sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &subtype, sizeof subtype);
            SF_INFO info{};
            info.samplerate = 44100;
            info.channels = 1;
            info.format = major | subtype.format;
            const std::string what = (major == SF_FORMAT_WAV ? "WAV " : "FLAC ") + std::string(subtype.name);
            const std::string path = dir.filePath(QString::number(k) + QString::number(major)).toStdString();
            SNDFILE *f = sf_format_check(&info) ? sf_open(path.c_str(), SFM_WRITE, &info) : nullptr;
            if (!f)
                continue; // not offered, or read but not written (MPEG in WAV)
            ++tried;
            sf_command(f, SFC_SET_SCALE_INT_FLOAT_WRITE, nullptr, SF_TRUE);
            sf_writef_short(f, sound.data(), static_cast<sf_count_t>(sound.size()));
            sf_close(f);

            std::vector<int16_t> got;
            std::string error;
            ASSERT_TRUE(AudioFile::readAll(path, got, error)) << what << ": " << error;
            const int lossless[] = {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT,
                                    SF_FORMAT_DOUBLE};
            if (std::find(std::begin(lossless), std::end(lossless), subtype.format) != std::end(lossless)) {
                EXPECT_EQ(got, sound) << what;
            } else {
                // Coded and 8-bit formats lose detail, never the level.
                ASSERT_FALSE(got.empty()) << what;
                const int16_t gotPeak = *std::max_element(got.begin(), got.end());
                EXPECT_NEAR(gotPeak, peak, peak * 0.25) << what;
            }
        }
    EXPECT_GE(tried, 10);
}

TEST(AudioFile, ResamplesStereo48kTo44kMono)
{
    QTemporaryDir dir;
    // Two seconds of a 1 kHz sine, louder on the left: the mix has the mean amplitude.
    std::vector<int16_t> frames;
    for (int i = 0; i < 96000; ++i) {
        const double s = std::sin(2 * M_PI * 1000 * i / 48000.0);
        frames.push_back(static_cast<int16_t>(std::lround(12000 * s)));
        frames.push_back(static_cast<int16_t>(std::lround(4000 * s)));
    }
    std::vector<int16_t> mono;
    std::string error;
    ASSERT_TRUE(AudioFile::readAll(writeSound(dir, "48k.wav", frames, 48000, 2), mono, error)) << error;
    EXPECT_NEAR(static_cast<double>(mono.size()), 88200, 2);
    EXPECT_NEAR(sineFrequency(mono), 1000, 0.5);
    const auto peak = *std::max_element(mono.begin() + 1000, mono.end() - 1000);
    EXPECT_NEAR(peak, 8000, 80);

    // Rates too slow to carry a tick (it reaches 8 kHz) are refused, naming the slowest measured.
    EXPECT_FALSE(AudioFile::readAll(writeSound(dir, "1hz.wav", ramp(10), 1), mono, error));
    EXPECT_NE(error.find("its sample rate is 1 Hz; the lowest Tamsel measures is 16000 Hz"),
              std::string::npos)
        << error;
}

TEST(SyntheticWatch, PeaksKeepTheRateBeatErrorAndLiftTime)
{
    SyntheticWatchParams params; // 21 600 per hour, +4 s/day, 0.3 ms, 270 degrees at 52
    SyntheticWatch watch(params);
    std::vector<int16_t> s(10 * 44100);
    ASSERT_EQ(watch.read(s.data(), s.size()), s.size());
    // Read in other pieces after a rewind, it is the same watch.
    std::vector<int16_t> again(s.size());
    watch.rewind();
    watch.read(again.data(), 1000);
    watch.read(again.data() + 1000, again.size() - 1000);
    EXPECT_EQ(again, s);

    // Peaks found as a detector would: at or above half the peak, largest within 1000 samples.
    std::vector<int64_t> peaks, starts;
    const double edge = 0.04 * params.peakLevel + params.noiseLevel + 1;
    for (int64_t i = 0; i < static_cast<int64_t>(s.size()); ++i) {
        const int v = std::abs(s[i]);
        if (v < params.peakLevel / 2)
            continue;
        bool largest = true;
        for (int64_t j = std::max<int64_t>(0, i - 1000); j < std::min<int64_t>(s.size(), i + 1000) && largest;
             ++j)
            largest = j == i || std::abs(s[j]) < v;
        if (!largest)
            continue;
        int64_t start = std::max<int64_t>(0, i - 2900);
        while (std::abs(s[start]) <= edge)
            ++start;
        peaks.push_back(i);
        starts.push_back(start);
    }
    ASSERT_GE(peaks.size(), 59u);
    const double period = 44100.0 / 6 * (1 - 4.0 / 86400);
    const double offset = 0.3 * 44.1;
    for (size_t k = 1; k < peaks.size(); ++k) {
        const double expected = period + (k % 2 ? offset : -offset);
        EXPECT_NEAR(static_cast<double>(peaks[k] - peaks[k - 1]), expected, 1.0) << k;
        EXPECT_EQ(peaks[k] - starts[k], watch.liftSamples()) << k;
    }
    // The measured lift time gives back the amplitude by the window's formula.
    const int64_t d = watch.liftSamples();
    EXPECT_EQ(Round((period + d) / 2 / 2 / d * 52) + 52, 270);
}
