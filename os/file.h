// os::File: a move-only owner of one open file, with positioned reads and
// writes, size, truncate, flush and byte-range locks that other processes
// respect. win32_file.cpp and posix_file.cpp implement it.
//
// Sharing follows Windows on every platform:
//   - Share::Exclusive conflicts with every other open of the same file, by
//     this process or another one; the later open fails with 32.
//   - Share::Shared conflicts only with an existing exclusive open (32).
// On POSIX each open takes an open-file-description lock on one reserved byte
// at kOpenModeLockOffset (read lock = shared, write lock = exclusive); so an
// exclusive open is only seen by programs that use this layer, and on a file
// system without such locks (some network mounts) opens do not conflict.
//
// Byte-range locks are per File (per handle, like LockFileEx): two Files of
// the same process conflict exactly as two processes do. A lock request never
// waits; a conflict fails with 33. On both platforms a handle may not lock a
// range that overlaps one it already holds (33), and unlock must name a range
// exactly as it was locked (158 otherwise). Closing a File releases its locks.
// Difference: Windows locks are mandatory (another handle's read or write of a
// locked range fails with 33); POSIX locks are advisory. The table conventions
// lock bytes beyond the data, so nothing relies on either behaviour.
//
// Not thread-safe: one File is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "os/status.h"

namespace os {

enum class Access {
    Read,       // reads only; write/truncate fail with 5
    ReadWrite,  // reads and writes
};

enum class Share {
    Exclusive,  // no other open of the file may exist or be made while this one is open
    Shared,     // others may open it shared too (for reading and writing)
};

enum class Disposition {
    OpenExisting,  // fails with 2 (or 3) when missing
    OpenAlways,    // opens, or creates an empty file when missing
    CreateNew,     // creates; fails with 80 when the file exists
    CreateAlways,  // creates, or truncates an existing file to 0 bytes once the open is granted
};

enum class LockKind {
    Exclusive,  // conflicts with every other lock on the range
    Shared,     // conflicts only with exclusive locks of other handles
};

// The reserved byte whose POSIX lock represents how a file is open. Kept far
// beyond any data offset and any lock offset of the table conventions (those
// stay below 2^32 plus a few gigabytes). Byte-range locks may not touch it (87).
inline constexpr uint64_t kOpenModeLockOffset = 0x7FFFFFFFFFFFFF00ull;
// Largest offset+length a byte-range lock may reach on POSIX (off_t is signed).
inline constexpr uint64_t kMaxLockEnd = kOpenModeLockOffset;

class File {
public:
    File() = default;  // closed
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();  // closes; errors on close are ignored

    // Opens `path` (resolved with resolvePath on POSIX). Errors: 2, 3, 4, 5
    // (also write access to a read-only file, see isReadOnly in fs.h),
    // 32 (sharing), 80 (CreateNew of an existing file), 123 (empty path).
    // A failed open leaves no handle behind and, with CreateAlways, does not
    // truncate a file that another open holds.
    static Result<File> open(const std::string& path, Access access, Share share,
                             Disposition disposition);

    bool isOpen() const { return handle_ != kInvalidHandle; }
    const std::string& path() const { return path_; }  // as given to open()

    // Reads up to `bytes` bytes at `offset` into `buffer`; returns the count
    // read, which is smaller than `bytes` only at the end of the file (0 at or
    // past the end). Errors: 6 (closed), 30 or the platform's code.
    Result<size_t> read(uint64_t offset, void* buffer, size_t bytes);

    // Writes all `bytes` bytes at `offset`, extending the file if needed.
    // Errors: 5 (opened for reading), 6, 112 (disk full), 29, injected faults
    // (os/fault.h). A failed write may have written a prefix of the bytes.
    Status write(uint64_t offset, const void* buffer, size_t bytes);

    Result<uint64_t> size();

    // Sets the file's size: shrinks, or extends with zero bytes.
    Status truncate(uint64_t newSize);

    // Forces written data to the disk (FlushFileBuffers / fsync). A file
    // not written or truncated through this handle since its last flush has
    // nothing to force: the call succeeds without reaching the system.
    Status flush();

    // Asks the system to start writing [offset, offset+bytes) to the disk
    // now, without waiting, so that a later flush() has less left to wait
    // for while the caller goes on working. Only flush() makes data
    // durable; where the system has no such request this does nothing.
    void startWriteBack(uint64_t offset, uint64_t bytes);

    // Locks [offset, offset+length) without waiting. length > 0. Errors:
    // 33 (held by another handle, or overlaps a range this handle holds),
    // 87 (length 0, or the range reaches kMaxLockEnd on POSIX).
    Status lock(uint64_t offset, uint64_t length, LockKind kind = LockKind::Exclusive);

    // Releases a range locked by this handle, given exactly as it was locked.
    // Errors: 158 when this handle holds no such range.
    Status unlock(uint64_t offset, uint64_t length);

    // Closes the file and releases its locks. Safe on a closed File.
    void close();

private:
    static constexpr intptr_t kInvalidHandle = -1;  // also INVALID_HANDLE_VALUE
    struct LockRange {
        uint64_t offset;
        uint64_t length;
    };

    File(intptr_t handle, std::string path, Access access);
    bool overlapsHeldLock(uint64_t offset, uint64_t length) const;
    void forgetLock(size_t index);

    intptr_t handle_ = kInvalidHandle;  // fd on POSIX, HANDLE on Windows
    std::string path_;                  // as given to open(), for messages
    Access access_ = Access::Read;
    std::vector<LockRange> locks_;  // ranges this handle holds
    bool unflushed_ = false;        // written or truncated since the last flush
};

}  // namespace os
