// The platform-independent half of os::Process: ownership transfer.
#include "os/process.h"

#include <utility>

namespace os {

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)),
      id_(std::exchange(other.id_, 0)),
      exitCode_(std::exchange(other.exitCode_, std::nullopt)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, 0);
        id_ = std::exchange(other.id_, 0);
        exitCode_ = std::exchange(other.exitCode_, std::nullopt);
    }
    return *this;
}

Process::~Process() {
    release();
}

}  // namespace os
