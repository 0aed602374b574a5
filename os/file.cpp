// The platform-independent half of os::File: ownership transfer and the
// bookkeeping of the byte ranges a handle holds locked.
#include "os/file.h"

#include <utility>

namespace os {

File::File(intptr_t handle, std::string path, Access access)
    : handle_(handle), path_(std::move(path)), access_(access), locks_() {}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kInvalidHandle)),
      path_(std::move(other.path_)),
      access_(other.access_),
      locks_(std::move(other.locks_)),
      unflushed_(std::exchange(other.unflushed_, false)) {
    other.locks_.clear();
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, kInvalidHandle);
        path_ = std::move(other.path_);
        access_ = other.access_;
        locks_ = std::move(other.locks_);
        other.locks_.clear();
        unflushed_ = std::exchange(other.unflushed_, false);
    }
    return *this;
}

File::~File() {
    close();
}

// Both platforms refuse a lock that overlaps one the same handle holds, so the
// table layer sees the same answer everywhere (POSIX would merge the ranges).
bool File::overlapsHeldLock(uint64_t offset, uint64_t length) const {
    for (const LockRange& r : locks_)
        if (offset < r.offset + r.length && r.offset < offset + length) return true;
    return false;
}

void File::forgetLock(size_t index) {
    locks_.erase(locks_.begin() + static_cast<long>(index));
}

}  // namespace os
