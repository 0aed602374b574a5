// The installation's run lock.
#include "updater/run_lock.h"

#include "os/file.h"
#include "os/fs.h"

namespace updater {
namespace {

// The process holds at most one lock: one run per process at a time.
os::File gLock;

}  // namespace

std::string runLockPath(const std::string& root) {
    return root + "\\DBF\\" + kRunLockName;
}

bool heldByAnotherRun(const os::Status& status) {
    return status.code() == os::kErrSharingViolation || status.code() == os::kErrLockViolation;
}

os::Status takeRunLock(const std::string& root) {
    (void)releaseRunLock();
    auto lock = os::File::open(runLockPath(root), os::Access::ReadWrite, os::Share::Exclusive,
                               os::Disposition::OpenAlways);
    if (!lock.ok()) return lock.status();
    gLock = std::move(lock.value());
    return os::Status();
}

os::Status releaseRunLock() {
    if (!gLock.isOpen()) return os::Status();
    const std::string path = gLock.path();
    gLock.close();
    os::Status erased = os::eraseFile(path);
    // Refused as in use: another run may just have opened it, and then it
    // is that run's lock now. When nobody holds it, the refusal has passed:
    // once more.
    if (heldByAnotherRun(erased)) {
        if (os::fileInUse(path)) return os::Status();
        erased = os::eraseFile(path);
    }
    if (erased.ok() || erased.code() == os::kErrFileNotFound) return os::Status();
    return erased;
}

}  // namespace updater
