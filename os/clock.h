// Time as the platform reports it: the wrapping millisecond tick count, a
// monotonic clock that never wraps, and a sleep. win32_clock.cpp / posix_clock.cpp.
#pragma once

#include <cstdint>

namespace os {

// Milliseconds since system start, as a signed 32-bit number that turns
// negative after about 24.8 days and wraps after about 49.7 days (Windows
// GetTickCount; on POSIX CLOCK_MONOTONIC truncated to 32 bits). Use it where
// the program compares tick values as they are; measure intervals with
// monotonicMs().
int32_t tickCount();

// Milliseconds from an unspecified fixed point; never wraps or goes back.
uint64_t monotonicMs();

// Suspends the calling thread for at least `ms` milliseconds.
void sleepMs(uint32_t ms);

}  // namespace os
