// quorlen-analyze as a whole process on a 130-second recording of a watch: the real-time
// factor (seconds of audio per second of wall clock, and per second of CPU) and the peak
// resident memory.
#include <QTemporaryDir>
#include <cstdio>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "capture/SyntheticWatch.h"

using namespace tamsel;

namespace {

void writeWav(const QByteArray &path, const SyntheticWatchParams &params, double seconds)
{
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    watch.generate(0, samples.data(), samples.size());
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.constData(), SFM_WRITE, &info);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

// Best of three runs of the analyzer on `wav` with `option` (or none).
bool measure(const char *title, const QByteArray &wav, const char *option, double seconds)
{
    double best = 1e9, cpu = 0;
    long peakKiB = 0;
    for (int run = 0; run < 3; ++run) {
        timespec start, end;
        clock_gettime(CLOCK_MONOTONIC, &start);
        std::fflush(stdout); // or the child would write what is buffered once more
        const pid_t child = fork();
        if (child == 0) {
            if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
                _exit(3);
            if (option)
                execl(TAMSEL_ANALYZER, "quorlen-analyze", option, wav.constData(),
                      static_cast<char *>(nullptr));
            else
                execl(TAMSEL_ANALYZER, "quorlen-analyze", wav.constData(), static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        clock_gettime(CLOCK_MONOTONIC, &end);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("the analyzer failed (status %d)\n", status);
            return false;
        }
        const double wall =
            static_cast<double>(end.tv_sec - start.tv_sec) + (end.tv_nsec - start.tv_nsec) * 1e-9;
        if (wall < best) {
            best = wall;
            cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
        }
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    std::printf("%s: quorlen-analyze on %.0f s of audio (best of 3): %.2f s wall, %.2f s CPU\n", title,
                seconds, best, cpu);
    std::printf("  real-time factor: %.0fx (wall), %.0fx (CPU)\n", seconds / best, seconds / cpu);
    std::printf("  peak resident memory: %.1f MB\n", static_cast<double>(peakKiB) / 1024);
    return true;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const double seconds = 130;
    const QByteArray contact = dir.filePath("watch.wav").toLocal8Bit();
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    writeWav(contact, params, seconds);
    // The same watch through an ordinary microphone, measured by averaging.
    const QByteArray heard = dir.filePath("heard.wav").toLocal8Bit();
    params.peakLevel = 900;
    params.microphone.on = true;
    params.microphone.subEvents = 6;
    params.microphone.burstJitter = 0.25;
    writeWav(heard, params, seconds);
    return measure("contact microphone", contact, nullptr, seconds) &&
                   measure("ordinary microphone, --input-filter", heard, "--input-filter", seconds)
               ? 0
               : 1;
}
