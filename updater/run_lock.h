// One run at a time on an installation: a lock file in the installation's
// DBF folder, opened exclusively before anything of the installation is
// opened for writing and held for the whole run, then erased. A second
// program that finds it open refuses to start. A lock file that a killed
// run left behind is held by nobody: the next run opens it and goes on.
// `--check` neither takes the lock nor looks at it.
#pragma once

#include <string>

#include "os/status.h"

namespace updater {

inline constexpr const char* kRunLockName = "Actualiza.lck";

// root + "\DBF\Actualiza.lck".
std::string runLockPath(const std::string& root);

// Takes the lock of the installation `root` for this process; a lock this
// process still held from an earlier run is let go first. The failed open's
// status otherwise: 32 (or 33) when another program holds it.
os::Status takeRunLock(const std::string& root);

// True when the status of takeRunLock says another program holds the lock.
bool heldByAnotherRun(const os::Status& status);

// Closes the lock file and erases it; nothing when no lock is held. An
// erasure refused because another program now holds the file is no
// failure: another run has just taken the lock. A refusal while nobody
// holds it is tried once more; any other failure of the erasure is returned.
os::Status releaseRunLock();

}  // namespace updater
