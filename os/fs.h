// File-system operations on whole files and folders: rename, copy, erase,
// existence, free disk space, folders, current directory, the program's own file name, short
// path names and the file-handle allowance. win32_fs.cpp / posix_fs.cpp.
//
// Paths are resolved with resolvePath (os/path.h) on POSIX. On POSIX, rename,
// copy and erase honour the sharing rules of os/file.h the way Windows does:
// a file open exclusively through os::File cannot be copied from (32), and a
// file open through os::File in any mode cannot be renamed, erased or
// replaced by a copy (32).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "os/status.h"

namespace os {

// Renames or moves a file or folder. Fails with 183 when `to` exists (it is
// never replaced), 2/3 when `from` is missing, 17 across volumes, 32 when the
// file is open.
Status renameFile(const std::string& from, const std::string& to);

// Renames `from` to `to`, replacing `to` when it exists, in one step: a
// reader sees either the old `to` or the new one, never neither. 2/3 when
// `from` is missing, 5 when `to` is a folder or read-only, 32 when either is
// open. Windows: the move is written through to the disk before it returns.
Status replaceFile(const std::string& from, const std::string& to);

// Makes the names in the folder `path` durable: after a rename, a creation
// or an erasure in it, a power cut no longer brings the old names back.
// POSIX: fsync of the folder. Windows: moves are written through as they are
// made and files are flushed before their names change, so there is nothing
// left to flush; the call only checks that the folder is there. Counted as a
// file-modifying call (os/fault.h). Errors: 2/3 when the folder is missing.
Status flushFolder(const std::string& path);

// Copies the file `from` to `to`, replacing `to` when it exists (its name
// keeps its spelling on disk). Errors: 2/3 for a missing source or target
// folder, 5, 32, 112. On failure `to` may be left partly written.
Status copyFile(const std::string& from, const std::string& to);

// Erases a file. Errors: 2, 3, 5 (a folder or read-only file), 32 (open).
Status eraseFile(const std::string& path);

// The longest full path the platform's file calls accept, in characters
// (Windows: MAX_PATH less its terminating zero; POSIX: PATH_MAX less one).
size_t maxPathLength();

// Bytes free for this user on the volume that holds the existing folder
// `path` (statvfs / GetDiskFreeSpaceExW). Errors: 3 when the folder and its
// parent are missing.
Result<uint64_t> freeDiskBytes(const std::string& path);

// True when the file is open now, by this process or another one, so that a
// rename, an erasure or an exclusive open of it would be refused (32).
// POSIX: asks about the open-mode lock of file.h without taking it.
// Windows: opens the file exclusively for reading and closes it at once; a
// program opening it at that very instant would be refused. False for a
// missing file.
bool fileInUse(const std::string& path);

// True for an existing file or folder that may not be written: Windows'
// read-only attribute; on POSIX a mode without any write bit, which this
// layer treats the same way for every user (root too): such a file is not
// opened for writing, erased or replaced (5), as on Windows. A folder is
// read-only only on POSIX (Windows ignores the attribute on folders).
bool isReadOnly(const std::string& path);

// Sets or clears the read-only attribute of an existing file (POSIX: clears
// every write bit, or gives the owner's back).
Status setReadOnly(const std::string& path, bool readOnly);

bool fileExists(const std::string& path);    // true for an existing non-folder
bool folderExists(const std::string& path);  // true for an existing folder

// Creates one folder; its parent must exist (3 otherwise). 183 when the name exists.
Status makeFolder(const std::string& path);

// Removes an empty folder. Errors: 2/3, 145 when not empty.
Status removeFolder(const std::string& path);

struct FolderEntry {
    std::string name;  // as spelled on disk
    bool isFolder;
    uint64_t sizeBytes;  // 0 for folders
};

// Lists the entries of a folder, sorted by name (byte order), without "." and "..".
Result<std::vector<FolderEntry>> listFolder(const std::string& path);

// The process's current directory, full path without a trailing separator
// (except at a root: "C:\\" or "/").
Result<std::string> currentDirectory();
Status setCurrentDirectory(const std::string& path);

// Full file name of the running executable (GetModuleFileNameA / /proc/self/exe).
Result<std::string> programFileName();

// The 8.3 short form of an existing path (GetShortPathNameA); on POSIX the
// resolved path itself. Errors: 2/3 when the path does not exist.
Result<std::string> shortPathName(const std::string& path);

// Asks for an allowance of `count` simultaneously open files and returns the
// number granted. Windows: SetHandleCount (returns its argument today). POSIX:
// raises the soft RLIMIT_NOFILE towards `count` (up to the hard limit) and
// returns min(count, the resulting soft limit).
uint32_t setHandleCount(uint32_t count);

}  // namespace os
