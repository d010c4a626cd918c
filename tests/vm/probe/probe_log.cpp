#include "probe_log.h"

#include <time.h>

#include <cstdio>
#include <mutex>

void ProbeLog(const std::string& line) {
    static std::mutex mutex;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    std::lock_guard lock(mutex);
    std::printf("t=%ld.%03ld probe: %s\n", static_cast<long>(now.tv_sec), now.tv_nsec / 1000000,
                line.c_str());
    std::fflush(stdout);
}
