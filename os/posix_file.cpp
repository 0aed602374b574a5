// os::File on POSIX: descriptors, pread/pwrite, and open-file-description
// locks (F_OFD_SETLK) so that two Files of one process conflict like two
// processes do, as handles do on Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "os/fault.h"
#include "os/file.h"
#include "os/path.h"
#include "os/posix_io.h"

namespace os {
namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

int creationFlags(Disposition disposition) {
    switch (disposition) {
        case Disposition::OpenExisting:
            return 0;
        case Disposition::OpenAlways:
            return O_CREAT;
        case Disposition::CreateNew:
            return O_CREAT | O_EXCL;
        case Disposition::CreateAlways:
            return O_CREAT;  // truncated once the open is granted
    }
    return 0;
}

// Opens read-write whenever the file allows it, even for Access::Read: an
// exclusive open and an exclusive byte-range lock need a descriptor open for
// writing. A read-only file still opens for reading (then its exclusive open
// can only take a read lock, which keeps out writers but not other readers).
int openDescriptor(const std::string& native, Access access, Share share, Disposition disposition) {
    int flags = O_CLOEXEC | creationFlags(disposition);
    // A shared reader needs no write access: its open-mode lock is a read
    // lock. Anything else asks for it, since an exclusive open-mode lock
    // (and an exclusive byte-range lock) can only be taken through a
    // descriptor open for writing.
    if (access == Access::Read && share == Share::Shared &&
        disposition == Disposition::OpenExisting)
        return ::open(native.c_str(), flags | O_RDONLY, 0666);
    int fd = ::open(native.c_str(), flags | O_RDWR, 0666);
    bool mayFallBack = access == Access::Read && disposition != Disposition::CreateAlways;
    if (fd < 0 && mayFallBack && (errno == EACCES || errno == EROFS || errno == ETXTBSY))
        fd = ::open(native.c_str(), flags | O_RDONLY, 0666);
    return fd;
}

bool isWritableDescriptor(int fd) {
    return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
}

struct flock rangeLock(short type, uint64_t offset, uint64_t length) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    return fl;
}

}  // namespace

Result<File> File::open(const std::string& path, Access access, Share share,
                        Disposition disposition) {
    if (path.empty()) return Status(kErrInvalidName, "open (empty file name)");
    if (access == Access::ReadWrite) {
        Status fault = checkOpenFault(path);
        if (!fault.ok()) return fault;
    }
    std::string native = resolvePath(path);
    // Write bits all off is the read-only attribute: no writing open, for
    // root as for anyone, as Windows refuses it.
    struct stat mode;
    if (access == Access::ReadWrite && ::stat(native.c_str(), &mode) == 0 &&
        !S_ISDIR(mode.st_mode) && (mode.st_mode & 0222) == 0)
        return Status(kErrAccessDenied, "open " + path + " (read-only)");
    int fd = openDescriptor(native, access, share, disposition);
    if (fd < 0) return posix::errnoStatus(errno, "open", path, native);

    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status(kErrAccessDenied, "open " + path);
    }
    bool exclusive = share == Share::Exclusive && isWritableDescriptor(fd);
    if (!posix::takeOpenModeLock(fd, exclusive)) {
        int err = errno;
        ::close(fd);
        if (err == EAGAIN || err == EACCES) return Status(kErrSharingViolation, "open " + path);
        return posix::errnoStatus(err, "open", path, native);
    }
    if (disposition == Disposition::CreateAlways && ::ftruncate(fd, 0) != 0) {
        int err = errno;
        ::close(fd);
        return posix::errnoStatus(err, "open", path, native);
    }
    return File(fd, path, access);
}

Result<size_t> File::read(uint64_t offset, void* buffer, size_t bytes) {
    if (!isOpen()) return Status(kErrInvalidHandle, "read " + path_);
    if (offset > kMaxOffset) return size_t{0};
    size_t done = 0;
    char* out = static_cast<char*>(buffer);
    while (done < bytes) {
        ssize_t n = ::pread(static_cast<int>(handle_), out + done, bytes - done,
                            static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Status(kErrReadFault, "read " + path_);
        if (n == 0) break;  // end of file
        done += static_cast<size_t>(n);
    }
    return done;
}

Status File::write(uint64_t offset, const void* buffer, size_t bytes) {
    if (!isOpen()) return Status(kErrInvalidHandle, "write " + path_);
    if (access_ != Access::ReadWrite) return Status(kErrAccessDenied, "write " + path_);
    if (offset > kMaxOffset || bytes > kMaxOffset - offset)
        return Status(kErrInvalidParameter, "write " + path_);
    unflushed_ = true;
    Status fault = checkWriteFault("write", path_);
    if (!fault.ok()) return fault;
    size_t done = 0;
    const char* in = static_cast<const char*>(buffer);
    while (done < bytes) {
        ssize_t n = ::pwrite(static_cast<int>(handle_), in + done, bytes - done,
                             static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            uint32_t code = (errno == ENOSPC || errno == EDQUOT || errno == EFBIG) ? kErrDiskFull
                                                                                   : kErrWriteFault;
            return Status(code, "write " + path_);
        }
        done += static_cast<size_t>(n);
    }
    return Status();
}

Result<uint64_t> File::size() {
    if (!isOpen()) return Status(kErrInvalidHandle, "size " + path_);
    struct stat st;
    if (::fstat(static_cast<int>(handle_), &st) != 0)
        return posix::errnoStatus(errno, "size", path_, path_);
    return static_cast<uint64_t>(st.st_size);
}

Status File::truncate(uint64_t newSize) {
    if (!isOpen()) return Status(kErrInvalidHandle, "truncate " + path_);
    if (access_ != Access::ReadWrite) return Status(kErrAccessDenied, "truncate " + path_);
    if (newSize > kMaxOffset) return Status(kErrInvalidParameter, "truncate " + path_);
    unflushed_ = true;
    Status fault = checkWriteFault("truncate", path_);
    if (!fault.ok()) return fault;
    if (::ftruncate(static_cast<int>(handle_), static_cast<off_t>(newSize)) != 0)
        return posix::errnoStatus(errno, "truncate", path_, path_);
    return Status();
}

Status File::flush() {
    if (!isOpen()) return Status(kErrInvalidHandle, "flush " + path_);
    if (!unflushed_) return Status();
    Status fault = checkWriteFault("flush", path_);
    if (!fault.ok()) return fault;
    if (::fsync(static_cast<int>(handle_)) != 0) return Status(kErrWriteFault, "flush " + path_);
    unflushed_ = false;
    return Status();
}

void File::startWriteBack(uint64_t offset, uint64_t bytes) {
#ifdef SYNC_FILE_RANGE_WRITE
    if (isOpen() && bytes > 0 && offset <= kMaxOffset)
        (void)::sync_file_range(static_cast<int>(handle_), static_cast<off_t>(offset),
                                static_cast<off_t>(std::min<uint64_t>(bytes, kMaxOffset - offset)),
                                SYNC_FILE_RANGE_WRITE);
#else
    (void)offset;
    (void)bytes;
#endif
}

Status File::lock(uint64_t offset, uint64_t length, LockKind kind) {
    if (!isOpen()) return Status(kErrInvalidHandle, "lock " + path_);
    if (length == 0 || offset >= kMaxLockEnd || length > kMaxLockEnd - offset)
        return Status(kErrInvalidParameter, "lock " + path_);
    if (overlapsHeldLock(offset, length)) return Status(kErrLockViolation, "lock " + path_);
    struct flock fl = rangeLock(kind == LockKind::Exclusive ? F_WRLCK : F_RDLCK, offset, length);
    if (::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &fl) != 0) {
        if (errno == EAGAIN || errno == EACCES) return Status(kErrLockViolation, "lock " + path_);
        if (errno == EBADF) return Status(kErrAccessDenied, "lock " + path_);
        return posix::errnoStatus(errno, "lock", path_, path_);
    }
    locks_.push_back({offset, length});
    return Status();
}

Status File::unlock(uint64_t offset, uint64_t length) {
    if (!isOpen()) return Status(kErrInvalidHandle, "unlock " + path_);
    for (size_t i = 0; i < locks_.size(); ++i) {
        if (locks_[i].offset != offset || locks_[i].length != length) continue;
        struct flock fl = rangeLock(F_UNLCK, offset, length);
        if (::fcntl(static_cast<int>(handle_), F_OFD_SETLK, &fl) != 0)
            return posix::errnoStatus(errno, "unlock", path_, path_);
        forgetLock(i);
        return Status();
    }
    return Status(kErrNotLocked, "unlock " + path_);
}

void File::close() {
    if (!isOpen()) return;
    ::close(static_cast<int>(handle_));  // releases the descriptor's locks
    handle_ = kInvalidHandle;
    locks_.clear();
}

}  // namespace os
