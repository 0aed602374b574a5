// Whole-file and folder operations on POSIX, with Windows' answers: a file
// open through os::File cannot be renamed, erased or overwritten (32), and
// rename never replaces an existing name (183).
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "os/fault.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/path_parts.h"
#include "os/posix_io.h"

namespace os {
namespace {

// The last name of a path, also when the path ends with separators.
std::string lastComponent(const std::string& path) {
    std::string_view p(path);
    while (!p.empty() && isPathSeparator(p.back())) p.remove_suffix(1);
    return std::string(fileNameOf(p));
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

Status sharingViolation(const char* operation, const std::string& path) {
    return Status(kErrSharingViolation, std::string(operation) + " " + path);
}

// Writes all of `bytes` to `fd`, retrying short writes.
bool writeAll(int fd, const char* data, size_t bytes) {
    while (bytes > 0) {
        ssize_t n = ::write(fd, data, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// Copies the contents of `in` to `out` (both open); returns 0 or an errno.
int copyContents(int in, int out) {
    char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        if (!writeAll(out, buffer, static_cast<size_t>(n))) return errno ? errno : EIO;
    }
}

}  // namespace

Status renameFile(const std::string& from, const std::string& to) {
    std::string nativeFrom = resolvePath(from);
    std::string nativeTo = resolvePath(to);
    struct stat st;
    if (::lstat(nativeFrom.c_str(), &st) != 0)
        return posix::errnoStatus(errno, "rename", from, nativeFrom);
    if (::lstat(nativeTo.c_str(), &st) == 0) {
        if (!sameFile(nativeFrom, nativeTo)) return Status(kErrAlreadyExists, "rename " + to);
        // Only the spelling changes: give the existing entry the new name.
        nativeTo = posix::parentOf(nativeTo) + "/" + lastComponent(to);
    }
    if (posix::isOpenByAnyone(nativeFrom, false)) return sharingViolation("rename", from);
    Status fault = checkWriteFault("rename", from);
    if (!fault.ok()) return fault;
    if (::renameat2(AT_FDCWD, nativeFrom.c_str(), AT_FDCWD, nativeTo.c_str(), RENAME_NOREPLACE) ==
        0)
        return Status();
    if (errno == EEXIST) return Status(kErrAlreadyExists, "rename " + to);
    if (errno == EINVAL || errno == ENOSYS) {  // file system without RENAME_NOREPLACE
        if (::rename(nativeFrom.c_str(), nativeTo.c_str()) == 0) return Status();
    }
    return posix::errnoStatus(errno, "rename", to, nativeTo);
}

bool isReadOnly(const std::string& path) {
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

Status setReadOnly(const std::string& path, bool readOnly) {
    std::string native = resolvePath(path);
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return posix::errnoStatus(errno, "attributes", path, native);
    mode_t mode = readOnly ? (st.st_mode & ~mode_t(0222)) : (st.st_mode | S_IWUSR);
    if (::chmod(native.c_str(), mode & 07777) != 0)
        return posix::errnoStatus(errno, "attributes", path, native);
    return Status();
}

Status replaceFile(const std::string& from, const std::string& to) {
    std::string nativeFrom = resolvePath(from);
    std::string nativeTo = resolvePath(to);
    struct stat st;
    if (::lstat(nativeFrom.c_str(), &st) != 0)
        return posix::errnoStatus(errno, "replace", from, nativeFrom);
    if (::lstat(nativeTo.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)
            return Status(kErrAccessDenied, "replace " + to);
        if (posix::isOpenByAnyone(nativeTo, false)) return sharingViolation("replace", to);
    }
    if (posix::isOpenByAnyone(nativeFrom, false)) return sharingViolation("replace", from);
    Status fault = checkWriteFault("replace", to);
    if (!fault.ok()) return fault;
    if (::rename(nativeFrom.c_str(), nativeTo.c_str()) != 0)
        return posix::errnoStatus(errno, "replace", to, nativeTo);
    return Status();
}

Status flushFolder(const std::string& path) {
    std::string native = resolvePath(path);
    int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return posix::errnoStatus(errno, "flush folder", path, native);
    Status fault = checkWriteFault("flush folder", path);
    int failed = 0;
    if (fault.ok() && ::fsync(fd) != 0) failed = errno;
    ::close(fd);
    if (!fault.ok()) return fault;
    // A file system that cannot sync a folder (EINVAL) keeps its names by its own means.
    if (failed != 0 && failed != EINVAL)
        return posix::errnoStatus(failed, "flush folder", path, native);
    return Status();
}

Status copyFile(const std::string& from, const std::string& to) {
    std::string nativeFrom = resolvePath(from);
    std::string nativeTo = resolvePath(to);
    Status fault = checkWriteFault("copy", to);
    if (!fault.ok()) return fault;
    int in = ::open(nativeFrom.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return posix::errnoStatus(errno, "copy", from, nativeFrom);
    struct stat st;
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(in);
        return Status(kErrAccessDenied, "copy " + from);
    }
    if (!posix::takeOpenModeLock(in, false)) {
        ::close(in);
        return sharingViolation("copy", from);
    }
    struct stat target;
    if (::stat(nativeTo.c_str(), &target) == 0 && (target.st_mode & 0222) == 0) {
        ::close(in);
        return Status(kErrAccessDenied, "copy " + to + " (read-only)");
    }
    int out = ::open(nativeTo.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        int err = errno;
        ::close(in);
        return posix::errnoStatus(err, "copy", to, nativeTo);
    }
    int err = posix::takeOpenModeLock(out, true) ? 0 : EAGAIN;
    if (err == 0 && ::ftruncate(out, 0) != 0) err = errno;
    if (err == 0) err = copyContents(in, out);
    if (err == 0) {
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
    }
    ::close(in);
    ::close(out);
    if (err == EAGAIN) return sharingViolation("copy", to);
    if (err != 0) return posix::errnoStatus(err, "copy", to, nativeTo);
    return Status();
}

Status eraseFile(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat st;
    if (::lstat(native.c_str(), &st) != 0) return posix::errnoStatus(errno, "erase", path, native);
    if (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)
        return Status(kErrAccessDenied, "erase " + path);
    if (posix::isOpenByAnyone(native, false)) return sharingViolation("erase", path);
    Status fault = checkWriteFault("erase", path);
    if (!fault.ok()) return fault;
    if (::unlink(native.c_str()) != 0) return posix::errnoStatus(errno, "erase", path, native);
    return Status();
}

size_t maxPathLength() {
    return PATH_MAX - 1;
}

Result<uint64_t> freeDiskBytes(const std::string& path) {
    std::string native = resolvePath(path);
    struct statvfs vfs;
    if (::statvfs(native.c_str(), &vfs) != 0)
        return posix::errnoStatus(errno, "statvfs", path, native);
    return uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize);
}

bool fileInUse(const std::string& path) {
    return posix::isOpenByAnyone(resolvePath(path), false);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(resolvePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool folderExists(const std::string& path) {
    return posix::isFolder(resolvePath(path));
}

Status makeFolder(const std::string& path) {
    if (path.empty()) return Status(kErrInvalidName, "make folder (empty name)");
    std::string native = resolvePath(path);
    Status fault = checkWriteFault("make folder", path);
    if (!fault.ok()) return fault;
    if (::mkdir(native.c_str(), 0777) == 0) return Status();
    if (errno == EEXIST) return Status(kErrAlreadyExists, "make folder " + path);
    return posix::errnoStatus(errno, "make folder", path, native);
}

Status removeFolder(const std::string& path) {
    std::string native = resolvePath(path);
    if (::rmdir(native.c_str()) == 0) return Status();
    if (errno == ENOTDIR) return Status(267, "remove folder " + path);  // not a folder
    return posix::errnoStatus(errno, "remove folder", path, native);
}

Result<std::vector<FolderEntry>> listFolder(const std::string& path) {
    std::string native = resolvePath(path);
    DIR* dir = ::opendir(native.empty() ? "." : native.c_str());
    if (dir == nullptr && errno == ENOENT) return Status(kErrPathNotFound, "list folder " + path);
    if (dir == nullptr) return posix::errnoStatus(errno, "list folder", path, native);
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        std::string full = joinPath(native, name);
        bool known = ::stat(full.c_str(), &st) == 0;
        bool folder = known && S_ISDIR(st.st_mode);
        uint64_t size = known && !folder ? static_cast<uint64_t>(st.st_size) : 0;
        entries.push_back({std::move(name), folder, size});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

Result<std::string> currentDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return posix::errnoStatus(errno, "current directory", ".", ".");
    return std::string(buffer);
}

Status setCurrentDirectory(const std::string& path) {
    std::string native = resolvePath(path);
    if (::chdir(native.c_str()) == 0) return Status();
    if (errno == ENOTDIR && !posix::isFolder(native) && posix::isFolder(posix::parentOf(native)))
        return Status(267, "set current directory " + path);  // a file, not a folder
    return posix::errnoStatus(errno, "set current directory", path, native);
}

Result<std::string> programFileName() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n < 0) return posix::errnoStatus(errno, "program file name", "/proc/self/exe", "/");
    return std::string(buffer, static_cast<size_t>(n));
}

Result<std::string> shortPathName(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat st;
    if (::stat(native.c_str(), &st) != 0)
        return posix::errnoStatus(errno, "short path", path, native);
    return native;
}

uint32_t setHandleCount(uint32_t count) {
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return count;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < count) {
        rlim_t wanted = count;
        if (limit.rlim_max != RLIM_INFINITY && wanted > limit.rlim_max) wanted = limit.rlim_max;
        struct rlimit raised = {wanted, limit.rlim_max};
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit.rlim_cur = wanted;
    }
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < count)
        return static_cast<uint32_t>(limit.rlim_cur);
    return count;
}

}  // namespace os
