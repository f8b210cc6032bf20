// Writes a watch heard through an ordinary microphone (MicrophoneScenarios.h) to a 16-bit WAV
// file and prints its truth, so that the analyzer can be tried on it:
//   mic_scenario NAME SECONDS SEED OUT.wav
//   mic_scenario --list
//   mic_scenario --bursts NAME SECONDS SEED   (each beat's bursts: beat,kind,sample,level)
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "MicrophoneScenarios.h"

using namespace tamsel;
using namespace tamsel::test;

namespace {

constexpr double kMaxSeconds = 3600;

// Every scenario the tests hold: the first, the harder ones, then the bench's.
std::vector<MicrophoneScenario> allScenarios(uint32_t seed = 1)
{
    std::vector<MicrophoneScenario> all = microphoneScenarios(seed);
    for (auto *more : {harderScenarios, benchScenarios})
        for (MicrophoneScenario &s : more(seed))
            all.push_back(std::move(s));
    return all;
}

int usage()
{
    std::fprintf(stderr, "usage: mic_scenario NAME SECONDS SEED OUT.wav\n"
                         "       mic_scenario --bursts NAME SECONDS SEED\n"
                         "       mic_scenario --list\n");
    return 2;
}

void printTruth(const MicrophoneScenario &s)
{
    const SyntheticWatch watch(s.params);
    const MicrophoneTruth t = truthOf(watch);
    if (!t.watchHeard)
        std::printf("%s: no watch (nothing to read)\n", s.name.c_str());
    else
        std::printf("%s: %.0f bph (%.1f beats/s), %+.1f s/day, beat error %.2f ms, amplitude %.*f deg "
                    "(lift %.2f ms at %g deg)%s\n",
                    s.name.c_str(), t.beatsPerHour, t.beatsPerHour / 3600, t.rateSecondsPerDay, t.beatErrorMs,
                    t.amplitudeDegrees < 20 ? 2 : 1, t.amplitudeDegrees, t.liftMs, s.params.liftAngle,
                    t.amplitudeMayBeBlank ? ", the amplitude may be blank (no drop heard)" : "");
}

std::optional<double> parseNumber(const char *text)
{
    char *end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The scenario NAME with SEED, or a message and nothing.
std::optional<MicrophoneScenario> choose(const char *name, const char *seedText)
{
    const std::optional<double> seed = parseNumber(seedText);
    if (!seed || *seed < 0 || *seed > 4294967295.0 || *seed != std::floor(*seed)) {
        std::fprintf(stderr, "mic_scenario: SEED must be a whole number from 0 to 4294967295, not '%s'\n",
                     seedText);
        return std::nullopt;
    }
    for (const MicrophoneScenario &s : allScenarios(static_cast<uint32_t>(*seed)))
        if (s.name == name)
            return s;
    std::fprintf(stderr, "mic_scenario: no scenario '%s' (--list shows them)\n", name);
    return std::nullopt;
}

std::optional<int64_t> samplesOf(const char *secondsText)
{
    const std::optional<double> seconds = parseNumber(secondsText);
    if (!seconds || *seconds <= 0 || *seconds > kMaxSeconds) {
        std::fprintf(stderr, "mic_scenario: SECONDS must be above 0 and at most %.0f, not '%s'\n",
                     kMaxSeconds, secondsText);
        return std::nullopt;
    }
    return std::llround(*seconds * SyntheticWatch::kRate);
}

int writeWav(const MicrophoneScenario &s, int64_t samples, const char *path)
{
    SF_INFO info{};
    info.samplerate = SyntheticWatch::kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path, SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "mic_scenario: cannot write %s: %s\n", path, sf_strerror(nullptr));
        return 1;
    }
    const SyntheticWatch watch(s.params);
    std::vector<int16_t> chunk(SyntheticWatch::kRate);
    for (int64_t at = 0; at < samples;) {
        const auto count = static_cast<size_t>(std::min<int64_t>(samples - at, std::ssize(chunk)));
        watch.generate(at, chunk.data(), count);
        if (sf_write_short(file, chunk.data(), static_cast<sf_count_t>(count)) !=
            static_cast<sf_count_t>(count)) {
            std::fprintf(stderr, "mic_scenario: cannot write %s: %s\n", path, sf_strerror(file));
            sf_close(file);
            std::remove(path);
            return 1;
        }
        at += static_cast<int64_t>(count);
    }
    if (sf_close(file) != 0) {
        std::fprintf(stderr, "mic_scenario: cannot finish %s\n", path);
        std::remove(path);
        return 1;
    }
    printTruth(s);
    return 0;
}

int printBursts(const MicrophoneScenario &s, int64_t samples)
{
    static const char *const kinds[] = {"unlocking",    "unlocking-echo", "impulse",
                                        "impulse-echo", "drop",           "drop-echo"};
    const SyntheticWatch watch(s.params);
    std::printf("beat,kind,sample,level\n");
    for (int64_t beat = 0; watch.peakOf(beat) < samples; ++beat)
        for (const SyntheticWatch::HeardBurst &b : watch.heardBursts(beat))
            std::printf("%lld,%s,%lld,%.1f\n", static_cast<long long>(beat), kinds[static_cast<int>(b.kind)],
                        static_cast<long long>(b.start), b.level);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const MicrophoneScenario &s : allScenarios()) {
            std::printf("%-15s %s\n%15s ", s.name.c_str(), s.what.c_str(), "");
            printTruth(s);
        }
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "--bursts") == 0) {
        const std::optional<MicrophoneScenario> s = choose(argv[2], argv[4]);
        const std::optional<int64_t> samples = samplesOf(argv[3]);
        return s && samples ? printBursts(*s, *samples) : 2;
    }
    if (argc != 5 || argv[1][0] == '-')
        return usage();
    const std::optional<MicrophoneScenario> s = choose(argv[1], argv[3]);
    const std::optional<int64_t> samples = samplesOf(argv[2]);
    return s && samples ? writeWav(*s, *samples, argv[4]) : 2;
}
