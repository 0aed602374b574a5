// Clocks on POSIX: CLOCK_MONOTONIC counts from system start like the Windows
// tick count; its low 32 bits give the wrapping tick value.
#include <time.h>

#include <cerrno>

#include "os/clock.h"

namespace os {

uint64_t monotonicMs() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

int32_t tickCount() {
    return static_cast<int32_t>(static_cast<uint32_t>(monotonicMs()));
}

void sleepMs(uint32_t ms) {
    struct timespec left = {static_cast<time_t>(ms / 1000),
                            static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace os
