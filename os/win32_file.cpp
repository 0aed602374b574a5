// os::File on Windows: CreateFileA share modes, positioned reads and writes
// (NtReadFile/NtWriteFile) and LockFileEx byte-range locks. Error numbers are
// GetLastError() as is, or the system's error for the call's status.
#include <windows.h>
#include <winternl.h>

#include "os/fault.h"
#include "os/file.h"

namespace os {
namespace {

HANDLE asHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

Status lastError(const char* operation, const std::string& path) {
    return Status(static_cast<uint32_t>(::GetLastError()), std::string(operation) + " " + path);
}

DWORD creationDisposition(Disposition disposition) {
    switch (disposition) {
        case Disposition::OpenExisting:
            return OPEN_EXISTING;
        case Disposition::OpenAlways:
            return OPEN_ALWAYS;
        case Disposition::CreateNew:
            return CREATE_NEW;
        case Disposition::CreateAlways:
            return CREATE_ALWAYS;
    }
    return OPEN_EXISTING;
}

// The positioned reads and writes of ntdll, which ReadFile and WriteFile
// make with an OVERLAPPED. Called directly with no completion context, a
// call that completes at once queues no completion packet for the handle:
// through ReadFile and WriteFile, Windows emulations post one to their
// server on every call, which made the file calls of a refill several
// times dearer there.
extern "C" NTSTATUS NTAPI NtReadFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc,
                                     PVOID apcContext, PIO_STATUS_BLOCK status, PVOID buffer,
                                     ULONG length, PLARGE_INTEGER offset, PULONG key);
extern "C" NTSTATUS NTAPI NtWriteFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apc,
                                      PVOID apcContext, PIO_STATUS_BLOCK status, PVOID buffer,
                                      ULONG length, PLARGE_INTEGER offset, PULONG key);

constexpr NTSTATUS kStatusEndOfFile = static_cast<NTSTATUS>(0xC0000011L);

Status ntError(NTSTATUS status, const char* operation, const std::string& path) {
    return Status(static_cast<uint32_t>(::RtlNtStatusToDosError(status)),
                  std::string(operation) + " " + path);
}

OVERLAPPED at(uint64_t offset) {
    OVERLAPPED ov = {};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return ov;
}

// Largest piece handed to one ReadFile/WriteFile call.
constexpr size_t kMaxChunk = 1u << 30;

}  // namespace

Result<File> File::open(const std::string& path, Access access, Share share,
                        Disposition disposition) {
    if (path.empty()) return Status(kErrInvalidName, "open (empty file name)");
    if (access == Access::ReadWrite) {
        Status fault = checkOpenFault(path);
        if (!fault.ok()) return fault;
        // Windows refuses it itself; an emulation run by an administrator may not.
        DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Status(kErrAccessDenied, "open " + path + " (read-only)");
    }
    DWORD desired = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD shareMode = share == Share::Exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = ::CreateFileA(path.c_str(), desired, shareMode, nullptr,
                             creationDisposition(disposition), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError("open", path);
    return File(reinterpret_cast<intptr_t>(h), path, access);
}

Result<size_t> File::read(uint64_t offset, void* buffer, size_t bytes) {
    if (!isOpen()) return Status(kErrInvalidHandle, "read " + path_);
    size_t done = 0;
    char* out = static_cast<char*>(buffer);
    while (done < bytes) {
        ULONG want = static_cast<ULONG>(bytes - done < kMaxChunk ? bytes - done : kMaxChunk);
        IO_STATUS_BLOCK io = {};
        LARGE_INTEGER from;
        from.QuadPart = static_cast<LONGLONG>(offset + done);
        NTSTATUS s = NtReadFile(asHandle(handle_), nullptr, nullptr, nullptr, &io, out + done,
                                want, &from, nullptr);
        if (s == kStatusEndOfFile) break;
        if (s < 0) return ntError(s, "read", path_);
        if (io.Information == 0) break;  // end of file
        done += io.Information;
    }
    return done;
}

Status File::write(uint64_t offset, const void* buffer, size_t bytes) {
    if (!isOpen()) return Status(kErrInvalidHandle, "write " + path_);
    if (access_ != Access::ReadWrite) return Status(kErrAccessDenied, "write " + path_);
    if (bytes > UINT64_MAX - offset) return Status(kErrInvalidParameter, "write " + path_);
    unflushed_ = true;
    Status fault = checkWriteFault("write", path_);
    if (!fault.ok()) return fault;
    size_t done = 0;
    const char* in = static_cast<const char*>(buffer);
    while (done < bytes) {
        ULONG want = static_cast<ULONG>(bytes - done < kMaxChunk ? bytes - done : kMaxChunk);
        IO_STATUS_BLOCK io = {};
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset + done);
        NTSTATUS s = NtWriteFile(asHandle(handle_), nullptr, nullptr, nullptr, &io,
                                 const_cast<char*>(in + done), want, &to, nullptr);
        if (s < 0) return ntError(s, "write", path_);
        if (io.Information == 0) return Status(kErrWriteFault, "write " + path_);
        done += io.Information;
    }
    return Status();
}

Result<uint64_t> File::size() {
    if (!isOpen()) return Status(kErrInvalidHandle, "size " + path_);
    LARGE_INTEGER n;
    if (!::GetFileSizeEx(asHandle(handle_), &n)) return lastError("size", path_);
    return static_cast<uint64_t>(n.QuadPart);
}

Status File::truncate(uint64_t newSize) {
    if (!isOpen()) return Status(kErrInvalidHandle, "truncate " + path_);
    if (access_ != Access::ReadWrite) return Status(kErrAccessDenied, "truncate " + path_);
    if (newSize > static_cast<uint64_t>(INT64_MAX))
        return Status(kErrInvalidParameter, "truncate " + path_);
    unflushed_ = true;
    Status fault = checkWriteFault("truncate", path_);
    if (!fault.ok()) return fault;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(newSize);
    if (!::SetFilePointerEx(asHandle(handle_), to, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(asHandle(handle_)))
        return lastError("truncate", path_);
    return Status();
}

Status File::flush() {
    if (!isOpen()) return Status(kErrInvalidHandle, "flush " + path_);
    if (!unflushed_) return Status();
    Status fault = checkWriteFault("flush", path_);
    if (!fault.ok()) return fault;
    if (!::FlushFileBuffers(asHandle(handle_))) return lastError("flush", path_);
    unflushed_ = false;
    return Status();
}

// Windows has no request to start writing back part of a file early.
void File::startWriteBack(uint64_t, uint64_t) {}

Status File::lock(uint64_t offset, uint64_t length, LockKind kind) {
    if (!isOpen()) return Status(kErrInvalidHandle, "lock " + path_);
    if (length == 0 || length > UINT64_MAX - offset)
        return Status(kErrInvalidParameter, "lock " + path_);
    if (overlapsHeldLock(offset, length)) return Status(kErrLockViolation, "lock " + path_);
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (kind == LockKind::Exclusive) flags |= LOCKFILE_EXCLUSIVE_LOCK;
    OVERLAPPED ov = at(offset);
    if (!::LockFileEx(asHandle(handle_), flags, 0, static_cast<DWORD>(length),
                      static_cast<DWORD>(length >> 32), &ov)) {
        DWORD err = ::GetLastError();
        if (err == ERROR_IO_PENDING || err == ERROR_SHARING_VIOLATION) err = ERROR_LOCK_VIOLATION;
        return Status(static_cast<uint32_t>(err), "lock " + path_);
    }
    locks_.push_back({offset, length});
    return Status();
}

Status File::unlock(uint64_t offset, uint64_t length) {
    if (!isOpen()) return Status(kErrInvalidHandle, "unlock " + path_);
    for (size_t i = 0; i < locks_.size(); ++i) {
        if (locks_[i].offset != offset || locks_[i].length != length) continue;
        OVERLAPPED ov = at(offset);
        if (!::UnlockFileEx(asHandle(handle_), 0, static_cast<DWORD>(length),
                            static_cast<DWORD>(length >> 32), &ov))
            return lastError("unlock", path_);
        forgetLock(i);
        return Status();
    }
    return Status(kErrNotLocked, "unlock " + path_);
}

void File::close() {
    if (!isOpen()) return;
    // Windows may release the locks of a closed handle some time later; unlock
    // them now so another handle can take them at once.
    for (const LockRange& r : locks_) {
        OVERLAPPED ov = at(r.offset);
        ::UnlockFileEx(asHandle(handle_), 0, static_cast<DWORD>(r.length),
                       static_cast<DWORD>(r.length >> 32), &ov);
    }
    locks_.clear();
    ::CloseHandle(asHandle(handle_));
    handle_ = kInvalidHandle;
}

}  // namespace os
