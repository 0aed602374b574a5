// The waits of the retrying table routines: a busy wait on a clock that
// never runs backwards, replaceable by tests that must not spend real time.
#pragma once

namespace tables {

// Waits nSeconds (fractions allowed) without processing window messages.
void waitSeconds(double nSeconds);

// Replaces the wait (nullptr: the real one). Returns the previous one.
using WaitFunction = void (*)(double seconds);
WaitFunction setWaitFunction(WaitFunction wait);

}  // namespace tables
