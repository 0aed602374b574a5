// Results of the platform layer: a Status carries a Windows error number
// (0 = success) and a short context; Result<T> adds a value on success.
//
// Every fallible call in os/ reports its failure with the Windows error number
// the upper layers test for, on every platform: on Windows GetLastError() is
// passed through unchanged; elsewhere errno is mapped (see posix_errno.cpp).
#pragma once

#include <cassert>
#include <cstdint>
#include <string>
#include <utility>

namespace os {

// The Windows error numbers the rest of the system tests for by value.
inline constexpr uint32_t kErrNone = 0;
inline constexpr uint32_t kErrFileNotFound = 2;      // a file, in an existing folder, is missing
inline constexpr uint32_t kErrPathNotFound = 3;      // a folder of the path is missing
inline constexpr uint32_t kErrTooManyOpenFiles = 4;  // the process or system file table is full
inline constexpr uint32_t kErrAccessDenied = 5;      // permissions, read-only file, a folder
inline constexpr uint32_t kErrInvalidHandle = 6;     // call on a closed File
inline constexpr uint32_t kErrNotEnoughMemory = 8;
inline constexpr uint32_t kErrNotSameDevice = 17;  // rename across volumes
inline constexpr uint32_t kErrWriteFault = 29;     // I/O error while writing (also injected faults)
inline constexpr uint32_t kErrReadFault = 30;      // I/O error while reading
inline constexpr uint32_t kErrSharingViolation = 32;  // the file is open in a conflicting mode
inline constexpr uint32_t kErrLockViolation = 33;     // a byte range is locked by another handle
inline constexpr uint32_t kErrHandleEof = 38;         // read past the end of the file
inline constexpr uint32_t kErrNotSupported = 50;
inline constexpr uint32_t kErrFileExists = 80;        // create-new of an existing file
inline constexpr uint32_t kErrInvalidParameter = 87;  // bad argument (offset out of range, ...)
inline constexpr uint32_t kErrDiskFull = 112;
inline constexpr uint32_t kErrInvalidName = 123;  // empty or malformed path
inline constexpr uint32_t kErrDirNotEmpty = 145;
inline constexpr uint32_t kErrNotLocked = 158;      // unlock of a range this handle did not lock
inline constexpr uint32_t kErrAlreadyExists = 183;  // rename/make-folder onto an existing name
inline constexpr uint32_t kErrFilenameTooLong = 206;

// Returns the English system text for a Windows error number, e.g. 32 ->
// "The process cannot access the file because it is being used by another
// process.". Unknown numbers give "Unknown error N.". Same text on every
// platform, so messages and logs do not depend on where the program runs.
std::string errorText(uint32_t code);

// Success, or a Windows error number plus the operation and path it concerns
// ("open C:\\DATOS\\EMPRESA.DBF"). Cheap to copy; success holds no string.
class [[nodiscard]] Status {
public:
    Status() = default;  // success
    Status(uint32_t code, std::string context) : code_(code), context_(std::move(context)) {}

    static Status success() { return Status(); }

    bool ok() const { return code_ == kErrNone; }
    uint32_t code() const { return code_; }
    const std::string& context() const { return context_; }
    // "context: text (code N)", or "OK".
    std::string message() const;

private:
    uint32_t code_ = kErrNone;
    std::string context_;
};

// A value on success, a failed Status otherwise. value() REQUIRES ok().
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit on purpose
    Result(Status status) : status_(std::move(status)) { assert(!status_.ok()); }  // NOLINT

    bool ok() const { return status_.ok(); }
    uint32_t code() const { return status_.code(); }
    const Status& status() const { return status_; }

    T& value() & {
        assert(ok());
        return value_;
    }
    const T& value() const& {
        assert(ok());
        return value_;
    }
    T&& value() && {
        assert(ok());
        return std::move(value_);
    }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }

private:
    T value_{};
    Status status_;
};

}  // namespace os
