// Processes on POSIX: posix_spawn, waitpid and SIGKILL.
#include <signal.h>
#include <sys/resource.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "os/clock.h"
#include "os/posix_io.h"
#include "os/process.h"

extern char** environ;

namespace os {
namespace {

int exitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

uint32_t processId() {
    return static_cast<uint32_t>(::getpid());
}

ProcessUse processUse() {
    struct rusage use {};
    ::getrusage(RUSAGE_SELF, &use);
    auto micros = [](const struct timeval& t) {
        return static_cast<uint64_t>(t.tv_sec) * 1000000u + static_cast<uint64_t>(t.tv_usec);
    };
    ProcessUse out;
    out.cpuMicros = micros(use.ru_utime) + micros(use.ru_stime);
    out.peakResidentBytes = static_cast<uint64_t>(use.ru_maxrss) * 1024u;  // Linux counts KiB
    return out;
}

Result<Process> Process::start(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int err = ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (err != 0) return posix::errnoStatus(err, "start", program, program);
    return Process(static_cast<intptr_t>(pid), static_cast<uint32_t>(pid));
}

Result<int> Process::wait() {
    if (handle_ == 0) return Status(kErrInvalidHandle, "wait");
    if (exitCode_) return *exitCode_;
    int status = 0;
    while (::waitpid(static_cast<pid_t>(handle_), &status, 0) < 0) {
        if (errno != EINTR) return posix::errnoStatus(errno, "wait", std::to_string(id_), "/");
    }
    exitCode_ = exitCodeOf(status);
    return *exitCode_;
}

Result<std::optional<int>> Process::waitFor(uint32_t timeoutMs) {
    if (handle_ == 0) return Status(kErrInvalidHandle, "wait");
    uint64_t deadline = monotonicMs() + timeoutMs;
    while (!exitCode_) {
        int status = 0;
        pid_t done = ::waitpid(static_cast<pid_t>(handle_), &status, WNOHANG);
        if (done < 0 && errno != EINTR)
            return posix::errnoStatus(errno, "wait", std::to_string(id_), "/");
        if (done > 0) {
            exitCode_ = exitCodeOf(status);
            break;
        }
        if (monotonicMs() >= deadline) return std::optional<int>();
        sleepMs(5);
    }
    return std::optional<int>(*exitCode_);
}

Status Process::kill() {
    if (handle_ == 0) return Status(kErrInvalidHandle, "kill");
    if (exitCode_) return Status();
    if (::kill(static_cast<pid_t>(handle_), SIGKILL) != 0 && errno != ESRCH)
        return posix::errnoStatus(errno, "kill", std::to_string(id_), "/");
    return Status();
}

void Process::release() {
    if (handle_ != 0 && !exitCode_) {
        (void)kill();
        (void)wait();
    }
    handle_ = 0;
    id_ = 0;
    exitCode_.reset();
}

}  // namespace os
