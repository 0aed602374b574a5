// Facts about the machine and the process for reports: the system version,
// installed memory, the process's memory use, the titles of the top-level
// windows, and local time. win32_system_facts.cpp / posix_system_facts.cpp.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace os {

// Major, minor and build number, platform id and service-pack text. On
// Windows the platform id is 2 for the NT family; on other systems the
// kernel release numbers are given, the id is 0 and the text is the
// system's name.
struct OsVersion {
    int major = 0;
    int minor = 0;
    int build = 0;
    int platformId = 0;
    std::string servicePack;
};
OsVersion osVersion();

// Installed physical memory in bytes (0 when it cannot be read).
uint64_t physicalMemoryBytes();

// Memory the process uses now and the most it has used, in bytes (working
// set on Windows, resident set elsewhere).
struct ProcessMemory {
    uint64_t currentBytes = 0;
    uint64_t peakBytes = 0;
};
ProcessMemory processMemory();

// Titles of the visible top-level windows in window order, each title once.
// Empty where there is no window system.
std::vector<std::string> topWindowTitles();

// `when` in local time; false (and `out` untouched) when it cannot be
// converted.
bool localTime(std::time_t when, std::tm* out);

}  // namespace os
