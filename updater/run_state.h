// The module-wide state of the update run: one set per process, shared by the
// run and the per-company migration, and the animation tick that reads it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "updater/progress.h"

namespace updater {

struct RunState {
    Progress* dialog = nullptr;         // what OWND returns; absent before MAIN builds it
    int frame = 0;                      // next animation frame, 0 to 10
    std::string currentCode = " ";      // CODEMP of the company in work
    uint32_t lastTickMs = 0;            // tick counter at the last frame change
    bool hasPicture = false;            // the animation picture exists
    std::array<long, 2> meterCounters{};  // what the two meters show
    std::string templateFolder;         // root + "\DBF\"
    std::string companyFolder;          // set per company by COPIAEMP
    std::optional<std::string> variant; // second argument, kept and unused
    long companyCount = 0;              // companies started so far
    // True when a backup of the migration list was already there before this
    // run's backup pass for the current company: an earlier run stopped half way.
    bool resumed = false;
    CompanyReport report;               // what the company in work has done so far
};

// The process's run state.
RunState& runState();
// Back to the values at program load (for tests that run twice in a process).
void resetRunState();

// The progress dialog, or nothing before MAIN has built it.
Progress* OWND();

// The millisecond tick counter the animation paces itself on. It wraps after
// about 49.7 days; the animation compares differences, never plain values.
using TickSource = uint32_t (*)();
void setTickSource(TickSource source);   // nullptr: the system clock
uint32_t tickNow();

// True when `nowMs` lies at least 400 ms after `lastMs`, across a wrap of the
// counter too (the difference is taken modulo 2^32).
bool tickDue(uint32_t lastMs, uint32_t nowMs);

// One animation tick: a new frame at most every 400 ms, then a pump. True.
bool LCAMBIAICO();

// The company list's mark for a row: done when its code is <= the current
// company code under the text comparison rules (exact comparison off).
bool companyReached(std::string_view code, std::string_view currentCode);

// Stores a meter's value in the counters and shows it.
void setMeter(Meter meter, long value);

}  // namespace updater
