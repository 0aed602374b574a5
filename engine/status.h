// The outcome of every fallible engine call: a result code (result_codes.h)
// and, on failure, a message "file: detail" that names the file concerned
// and what went wrong with it. Success holds no string and costs nothing.
//
// The type is [[nodiscard]] and the build turns an ignored result into an
// error: a failure is either handled, handed up, or dropped on purpose with
// a visible `(void)` and a comment saying why.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

#include "engine/result_codes.h"
#include "os/status.h"

namespace engine {

// Maps the platform layer's Windows error numbers onto engine result codes.
inline Result resultFromOs(uint32_t code) {
    switch (code) {
        case 0:
            return kOk;
        case 2:
        case 3:
            return kNotFound;  // file / path not found
        case 4:
            return kTooManyOpenFiles;
        case 5:
            return kAccessDenied;
        case 32:
        case 33:
            return kLocked;  // sharing or lock violation
        case 123:
        case 206:
            return kInvalidArgument;  // bad or too long name
        default:
            return kIoError;
    }
}

class [[nodiscard]] Status {
public:
    Status() = default;  // success
    Status(Result code, std::string message) : code_(code), message_(std::move(message)) {}

    // A failure concerning `file`: the message reads "file: detail".
    static Status error(Result code, std::string_view file, std::string_view detail) {
        std::string m(file);
        if (!m.empty() && !detail.empty()) m += ": ";
        m += detail;
        return Status(code, std::move(m));
    }
    // A failure of the platform layer, its Windows error number mapped onto
    // an engine code (kNotFound, kLocked, kIoError...).
    static Status fromOs(const os::Status& s) {
        return Status(resultFromOs(s.code()), s.message());
    }
    // A read, write, seek or flush of a file already open that failed: an
    // I/O error whatever the system said (a write refused as "in use" is not
    // a lock conflict the caller may wait out).
    static Status ioError(const os::Status& s) { return Status(kIoError, s.message()); }

    bool ok() const { return code_ == kOk; }
    // Success and the two harmless unlock results.
    bool succeeded() const { return engine::succeeded(code_); }
    Result code() const { return code_; }
    const std::string& message() const { return message_; }

    // Lets tests and callers compare with a code: `status == kAtEof`.
    bool operator==(Result code) const { return code_ == code; }
    // How test failures print a status: its code and message.
    friend void PrintTo(const Status& s, std::ostream* out);

private:
    Result code_ = kOk;
    std::string message_;  // empty on success
};

}  // namespace engine
