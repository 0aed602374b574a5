// Clocks on Windows: GetTickCount as the signed 32-bit tick, GetTickCount64
// for the monotonic clock.
#include <windows.h>

#include "os/clock.h"

namespace os {

int32_t tickCount() {
    return static_cast<int32_t>(::GetTickCount());
}

uint64_t monotonicMs() {
    return ::GetTickCount64();
}

void sleepMs(uint32_t ms) {
    ::Sleep(ms);
}

}  // namespace os
