// Write-fault injection for tests: make the Nth file-modifying call of the
// process fail, to check that upper layers leave nothing half-written.
//
// Counted calls ("writes"): File::write, File::truncate, File::flush,
// copyFile, renameFile, eraseFile, makeFolder. A faulted call returns the
// armed error code without touching the disk. Process-wide; thread-safe.
#pragma once

#include <cstdint>

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

// Used by the implementations: counts one call and returns the injected error,
// or success when this call is not to fail. `context` names the operation.
Status checkWriteFault(const char* operation, const std::string& path);

}  // namespace os
