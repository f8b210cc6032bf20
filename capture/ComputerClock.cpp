#include "capture/ComputerClock.h"

#include <ctime>
#include <sys/timex.h>

namespace tamsel {

int64_t monotonicNanoseconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool computerClockSynchronised()
{
    timex status{}; // modes 0: read only
    const int state = ntp_adjtime(&status);
    return state != -1 && state != TIME_ERROR && !(status.status & STA_UNSYNC);
}

} // namespace tamsel
