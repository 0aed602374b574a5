// The wait of SEGUNDOS and the lock/append retries.
#include "tables/wait.h"

#include "os/clock.h"

namespace tables {

namespace {

// Polls the monotonic clock until the time has passed. The thread sleeps a
// millisecond between polls so a long wait does not hold a processor; no
// window message is taken meanwhile.
void realWait(double seconds) {
    if (!(seconds > 0)) return;
    uint64_t start = os::monotonicMs();
    uint64_t wanted = static_cast<uint64_t>(seconds * 1000.0 + 0.5);
    while (os::monotonicMs() - start < wanted) os::sleepMs(1);
}

WaitFunction g_wait = nullptr;

}  // namespace

void waitSeconds(double nSeconds) {
    if (g_wait)
        g_wait(nSeconds);
    else
        realWait(nSeconds);
}

WaitFunction setWaitFunction(WaitFunction wait) {
    WaitFunction previous = g_wait;
    g_wait = wait;
    return previous;
}

}  // namespace tables
