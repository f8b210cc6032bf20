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

int main()
{
    QTemporaryDir dir;
    const QByteArray wav = dir.filePath("watch.wav").toLocal8Bit();
    const double seconds = 130;
    SyntheticWatchParams params;
    params.beatsPerHour = 18000;
    const SyntheticWatch watch(params);
    std::vector<int16_t> samples(static_cast<size_t>(seconds * 44100));
    watch.generate(0, samples.data(), samples.size());
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(wav.constData(), SFM_WRITE, &info);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);

    double best = 1e9, cpu = 0;
    long peakKiB = 0;
    for (int run = 0; run < 3; ++run) {
        timespec start, end;
        clock_gettime(CLOCK_MONOTONIC, &start);
        const pid_t child = fork();
        if (child == 0) {
            if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr))
                _exit(3);
            execl(TAMSEL_ANALYZER, "quorlen-analyze", wav.constData(), static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        clock_gettime(CLOCK_MONOTONIC, &end);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("the analyzer failed (status %d)\n", status);
            return 1;
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
    std::printf("quorlen-analyze on %.0f s of audio (best of 3): %.2f s wall, %.2f s CPU\n", seconds, best,
                cpu);
    std::printf("real-time factor: %.0fx (wall), %.0fx (CPU)\n", seconds / best, seconds / cpu);
    std::printf("peak resident memory: %.1f MB\n", static_cast<double>(peakKiB) / 1024);
    return 0;
}
