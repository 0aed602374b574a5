// Helpers shared by the POSIX implementation files of os/ (not a public
// interface): errno to Windows error numbers, and the open-mode lock byte that
// makes exclusive and shared opens conflict as they do on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "os/status.h"

namespace os::posix {

// Maps an errno value to the Windows error number. ENOENT becomes 2 when the
// folder that would hold `nativePath` exists and 3 when it does not.
uint32_t mapErrno(int err, const std::string& nativePath);

// Status for a failed call: "<operation> <path>" with the mapped error.
Status errnoStatus(int err, const char* operation, const std::string& path,
                   const std::string& nativePath);

// Takes the open-mode lock on `fd` without waiting: a read lock for a shared
// open, a write lock for an exclusive one. Returns false on a conflict (errno
// set: EAGAIN/EACCES) or when the descriptor does not allow the lock (EBADF).
// On a file system that has no such locks it returns true without a lock.
bool takeOpenModeLock(int fd, bool exclusive);

// True when some open file description (of any process) holds the open-mode
// lock of the file at `nativePath`: with `exclusiveOnly`, only a write lock
// counts (someone has it open exclusively); otherwise any open counts.
// A file that cannot be opened for the test counts as not open.
bool isOpenByAnyone(const std::string& nativePath, bool exclusiveOnly);

// True when `nativePath` names an existing folder.
bool isFolder(const std::string& nativePath);

// The folder part of a native path ("." when it has none).
std::string parentOf(const std::string& nativePath);

}  // namespace os::posix
