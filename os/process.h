// Processes: the current process id, and starting a child program, waiting
// for its exit code or killing it (used by tests that need two processes and
// by the crash test that kills a program at random moments).
// win32_process.cpp / posix_process.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os/status.h"

namespace os {

uint32_t processId();

// What this process has used so far, for benchmarks: processor time of all
// its threads (user and system, microseconds) and its peak resident memory
// (bytes; the peak working set on Windows).
struct ProcessUse {
    uint64_t cpuMicros = 0;
    uint64_t peakResidentBytes = 0;
};
ProcessUse processUse();

// Exit code reported for a child ended by Process::kill() on every platform
// (128 + SIGKILL, as POSIX shells report it).
inline constexpr int kKilledExitCode = 137;

// Owns one child process. Move-only. The destructor of a Process that was
// neither waited for nor killed kills it and reaps it, so no child outlives
// its owner by accident.
class Process {
public:
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts `program` (a full file name, e.g. programFileName()) with `args`
    // (argv[1..]; quoted for the Windows command line as needed). The child
    // inherits the current directory, environment, stdout and stderr.
    // Errors: 2/3 when the program is missing, 5.
    static Result<Process> start(const std::string& program, const std::vector<std::string>& args);

    bool valid() const { return handle_ != 0; }  // owns a started child (reaped or not)
    uint32_t id() const { return id_; }

    // Waits for the child to end and returns its exit code (kKilledExitCode
    // after kill(); 128+signal for other signals on POSIX). The child is reaped.
    Result<int> wait();

    // Like wait(), but gives up after `timeoutMs` and returns no value then.
    Result<std::optional<int>> waitFor(uint32_t timeoutMs);

    // Ends the child at once (SIGKILL / TerminateProcess); call wait() after
    // to reap it. Killing a child that already ended succeeds.
    Status kill();

private:
    Process(intptr_t handle, uint32_t id) : handle_(handle), id_(id) {}
    void release();

    intptr_t handle_ = 0;  // pid on POSIX, process HANDLE on Windows; 0 = none
    uint32_t id_ = 0;
    std::optional<int> exitCode_;  // set once reaped
};

}  // namespace os
