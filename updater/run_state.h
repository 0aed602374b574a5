// The module-wide state of the update run: one set per process, shared by the
// run and the per-company migration, and the animation tick that reads it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updater/company_plan.h"
#include "updater/progress.h"

namespace updater {

struct RunState {
    Progress* dialog = nullptr;           // what OWND returns; absent before MAIN builds it
    int frame = 0;                        // next animation frame, 0 to 10
    std::string currentCode = " ";        // CODEMP of the company in work
    uint32_t lastTickMs = 0;              // tick counter at the last frame change
    bool hasPicture = false;              // the animation picture exists
    std::array<long, 2> meterCounters{};  // what the two meters show
    std::string templateFolder;           // root + "\DBF\"
    std::string companyFolder;            // set per company by COPIAEMP
    std::optional<std::string> variant;   // second argument, kept and unused
    long companyCount = 0;                // companies started so far
    // True when a backup of the migration list was already there before this
    // run's backup pass for the current company: an earlier run stopped half way.
    bool resumed = false;
    CompanyReport report;  // what the company in work has done so far
    CompanyPlan plan;      // what COPIAEMP decided for the company in work
    // The company in work goes on to its record step: its plan lets it and
    // its file step ended without an error.
    bool companyGoesOn = false;
    // A runtime error was raised for the company in work, or a write failed:
    // no further company is touched.
    bool stopRun = false;
    int exitCode = 0;                   // what the run ends with so far: 0, 2 or 1
    std::vector<std::string> problems;  // "code: what was left and why", for the summary
};

// Records a company's problem: in its report, in the run's summary, and in
// the exit code (2, unless the run already stopped with 1).
void noteProblem(const std::string& text);

// The summary line for a linked journal another program holds: its rows
// stay unmarked. The run and the check say it alike.
std::string heldJournalText(const std::string& journal);
// The same for a journal that could not be opened for writing, by the
// operating system's code of the open (in use, access denied, other).
std::string unwritableJournalText(const std::string& journal, uint32_t osCode);
// The run stops after the company in work, with exit code 1.
void noteStop();

// The run's own runtime errors (subsystem "ACTUA"), each naming the file and
// the cause in its description.
enum class RunError {
    kOpen = 1001,       // a table the run needs cannot be opened
    kCopy = 1002,       // a template cannot be put in place
    kDataWidth = 1003,  // a value does not fit its field in the new layout
    kMove = 1004,       // a set of files could not be moved or put back
    kErase = 1005,      // a backup could not be erased for a reason other than a refusal
    kCheck = 1006,      // a refilled table on disk is not what was written
    kRegister = 1007,   // the company register cannot be walked safely
    kRecord = 1008,     // the migration record, or the folder's names, cannot be made durable
    kInstallation = 1009,  // no register at the path, another run on it, a path too long
};
// Raises the error through the handler and stops the run after the company
// in work. `osCode` is the operating system's code, 0 when there is none.
void raiseRunError(RunError error, const std::string& file, const std::string& detail,
                   uint32_t osCode = 0);

// The process's run state.
RunState& runState();
// Back to the values at program load (for tests that run twice in a process).
void resetRunState();

// The progress dialog, or nothing before MAIN has built it.
Progress* OWND();

// The millisecond tick counter the animation paces itself on. It wraps after
// about 49.7 days; the animation compares differences, never plain values.
using TickSource = uint32_t (*)();
void setTickSource(TickSource source);  // nullptr: the system clock
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
