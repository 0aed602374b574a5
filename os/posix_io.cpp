// errno mapping and the open-mode lock byte for the POSIX half of os/.
#include "os/posix_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/file.h"

namespace os::posix {

bool isFolder(const std::string& nativePath) {
    struct stat st;
    return ::stat(nativePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parentOf(const std::string& nativePath) {
    std::string p = nativePath;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

uint32_t mapErrno(int err, const std::string& nativePath) {
    switch (err) {
        case 0:
            return kErrNone;
        case ENOENT:
            return isFolder(parentOf(nativePath)) ? kErrFileNotFound : kErrPathNotFound;
        case ENOTDIR:
            return kErrPathNotFound;
        case EMFILE:
        case ENFILE:
            return kErrTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
            return kErrAccessDenied;
        case EBADF:
            return kErrInvalidHandle;
        case ENOMEM:
            return kErrNotEnoughMemory;
        case EXDEV:
            return kErrNotSameDevice;
        case EEXIST:
            return kErrFileExists;
        case ENOTEMPTY:
            return kErrDirNotEmpty;
        case EINVAL:
            return kErrInvalidParameter;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kErrDiskFull;
        case ENAMETOOLONG:
            return kErrFilenameTooLong;
        case EAGAIN:
            return kErrLockViolation;
        default:
            return 1117;  // I/O device error
    }
}

Status errnoStatus(int err, const char* operation, const std::string& path,
                   const std::string& nativePath) {
    return Status(mapErrno(err, nativePath), std::string(operation) + " " + path);
}

bool takeOpenModeLock(int fd, bool exclusive) {
    struct flock fl = {};
    fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kOpenModeLockOffset);
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return true;
    // A file system without these locks (some network and FUSE mounts) cannot
    // arbitrate opens; refusing every open there would make the data unusable.
    return errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL;
}

bool isOpenByAnyone(const std::string& nativePath, bool exclusiveOnly) {
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Asking whether a write lock could be placed reveals any lock at all;
    // asking about a read lock reveals only write (exclusive) locks.
    struct flock fl = {};
    fl.l_type = exclusiveOnly ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kOpenModeLockOffset);
    fl.l_len = 1;
    bool held = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

}  // namespace os::posix
