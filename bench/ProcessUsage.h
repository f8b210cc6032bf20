#pragma once
// What the benchmark process has used so far: CPU time and resident memory.
#include <ctime>
#include <fstream>
#include <string>

namespace tamsel::bench {

inline double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// -1 where /proc cannot tell.
inline long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value;
        if (key == "VmRSS:" && status >> value)
            return value;
    }
    return -1;
}

} // namespace tamsel::bench
