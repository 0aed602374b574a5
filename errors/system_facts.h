// Facts about the machine and the process that the error report prints:
// system version, physical memory, the process's memory use, the list of
// top-level window titles and the file-handle allowance. One implementation
// per platform (win32_system_facts.cpp, posix_system_facts.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace errors {

// The system version list: major, minor, build number, platform id and the
// service-pack text. On Windows the platform id is 2 for the NT family; on
// other systems the kernel release numbers are given and the id is 0.
struct OsVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
    int platformId = 0;
    std::string servicePack;
};

OsVersion GETVERSION();
bool ISWINNT();

// Installed physical memory in bytes (0 when it cannot be read).
uint64_t physicalMemoryBytes();

// Memory the process uses now and the most it has used, in bytes.
struct ProcessMemory {
    uint64_t currentBytes = 0;
    uint64_t peakBytes = 0;
};
ProcessMemory processMemory();

// Titles of the visible top-level windows in window order, each title once.
// Empty where there is no window system.
std::vector<std::string> GETTASKS();

// The task counter of the old 16-bit systems; always 0 here.
inline int GETNUMTASKS() {
    return 0;
}

// The file-handle allowance as the platform answers a request for 0 handles
// (the Windows call answers the number it was given).
int handleCountAnswer();

}  // namespace errors
