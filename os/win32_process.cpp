// Processes on Windows: CreateProcessA with a quoted command line,
// WaitForSingleObject and TerminateProcess.
#include <windows.h>
// After windows.h: the memory counters need its types.
#include <psapi.h>

#include "os/process.h"

namespace os {
namespace {

HANDLE asHandle(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

// Quotes one argument so that the child's command-line parser gives it back
// unchanged: backslashes double only before a quote or the closing quote.
std::string quoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

uint32_t processId() {
    return static_cast<uint32_t>(::GetCurrentProcessId());
}

ProcessUse processUse() {
    ProcessUse out;
    FILETIME created, exited, kernel, user;
    if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        auto ticks = [](const FILETIME& t) {
            return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        out.cpuMicros = (ticks(kernel) + ticks(user)) / 10;  // 100 ns units
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (::K32GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory))
        out.peakResidentBytes = memory.PeakWorkingSetSize;
    return out;
}

Result<Process> Process::start(const std::string& program, const std::vector<std::string>& args) {
    std::string commandLine = quoteArgument(program);
    for (const std::string& a : args) commandLine += " " + quoteArgument(a);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    // Handles are inherited so the child writes to our stdout/stderr; files
    // opened by os::File are not inheritable.
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          nullptr, &startup, &info))
        return Status(static_cast<uint32_t>(::GetLastError()), "start " + program);
    ::CloseHandle(info.hThread);
    return Process(reinterpret_cast<intptr_t>(info.hProcess), info.dwProcessId);
}

Result<std::optional<int>> Process::waitFor(uint32_t timeoutMs) {
    if (handle_ == 0) return Status(kErrInvalidHandle, "wait");
    if (exitCode_) return std::optional<int>(*exitCode_);
    DWORD r = ::WaitForSingleObject(asHandle(handle_), timeoutMs);
    if (r == WAIT_TIMEOUT) return std::optional<int>();
    DWORD code = 0;
    if (r != WAIT_OBJECT_0 || !::GetExitCodeProcess(asHandle(handle_), &code))
        return Status(static_cast<uint32_t>(::GetLastError()), "wait " + std::to_string(id_));
    exitCode_ = static_cast<int>(code);
    return std::optional<int>(*exitCode_);
}

Result<int> Process::wait() {
    Result<std::optional<int>> r = waitFor(INFINITE);
    if (!r.ok()) return r.status();
    return **r;
}

Status Process::kill() {
    if (handle_ == 0) return Status(kErrInvalidHandle, "kill");
    if (exitCode_) return Status();
    if (!::TerminateProcess(asHandle(handle_), static_cast<UINT>(kKilledExitCode))) {
        // Fails with access denied when the child has already ended.
        if (::WaitForSingleObject(asHandle(handle_), 0) == WAIT_OBJECT_0) return Status();
        return Status(static_cast<uint32_t>(::GetLastError()), "kill " + std::to_string(id_));
    }
    return Status();
}

void Process::release() {
    if (handle_ != 0) {
        if (!exitCode_) {
            (void)kill();
            (void)wait();
        }
        ::CloseHandle(asHandle(handle_));
    }
    handle_ = 0;
    id_ = 0;
    exitCode_.reset();
}

}  // namespace os
