// Write-fault injection for tests: make the Nth file-modifying call of the
// process fail, to check that upper layers leave nothing half-written.
//
// Counted calls ("writes"): File::write, File::truncate, File::flush,
// copyFile, renameFile, replaceFile, eraseFile, makeFolder, flushFolder. A faulted call returns the
// armed error code without touching the disk. Process-wide; thread-safe.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "os/status.h"

namespace os {

// Arms the fault: the `nth` counted call from now fails (1 = the very next
// one) with `code`. When `persistent`, that call and every later one fail
// until disarmWriteFault(). Re-arming replaces the previous setting.
void armWriteFault(uint32_t nth, uint32_t code = kErrWriteFault, bool persistent = false);

// Stops injecting faults.
void disarmWriteFault();

// Number of calls that failed by injection since the last arm.
uint32_t injectedFaultCount();

// Number of counted calls since the process started (whether or not armed);
// a test can run a scenario once, read the count, then fault each call in turn.
uint64_t writeCallCount();

// Refused opens, for the whole-run tests of a file that cannot be opened
// for writing (read-only, no rights, held by another program): the `nth`
// File::open with write access from now (1 = the very next one) fails with
// `code` without touching the disk; 0 disarms. Counted apart from the calls
// above, so arming one kind does not move the other's count.
void armOpenFault(uint32_t nth, uint32_t code = kErrAccessDenied);
// File::open calls with write access since the process started.
uint64_t writeOpenCount();
// Used by File::open for an open with write access.
Status checkOpenFault(const std::string& path);

// Shows every counted call to `observer` (its operation, "rename",
// "flush folder"..., and its path) before it is made or faulted; an empty
// function stops it. For tests that check the order of file operations.
void setWriteCallObserver(
    std::function<void(const char* operation, const std::string& path)> observer);

// Used by the implementations: counts one call and returns the injected error,
// or success when this call is not to fail. `context` names the operation.
Status checkWriteFault(const char* operation, const std::string& path);

}  // namespace os
