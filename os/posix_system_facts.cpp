// System facts on Linux and other POSIX systems, read from /proc and uname.
#include <sys/utsname.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "os/system_facts.h"

namespace os {
namespace {

// Value in kB of a "Name:   1234 kB" line of a /proc status file, or 0.
uint64_t procKilobytes(const char* path, const std::string& name) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, name.size(), name) != 0) continue;
        std::istringstream fields(line.substr(name.size()));
        uint64_t kb = 0;
        fields >> kb;
        return kb;
    }
    return 0;
}

}  // namespace

OsVersion osVersion() {
    OsVersion v;
    utsname u{};
    if (uname(&u) == 0) {
        std::sscanf(u.release, "%d.%d.%d", &v.major, &v.minor, &v.build);
        v.servicePack = u.sysname;
    }
    return v;
}

uint64_t physicalMemoryBytes() {
    return procKilobytes("/proc/meminfo", "MemTotal:") * 1024;
}

ProcessMemory processMemory() {
    ProcessMemory m;
    m.currentBytes = procKilobytes("/proc/self/status", "VmRSS:") * 1024;
    m.peakBytes = procKilobytes("/proc/self/status", "VmHWM:") * 1024;
    return m;
}

std::vector<std::string> topWindowTitles() {
    return {};
}

bool localTime(std::time_t when, std::tm* out) {
    return localtime_r(&when, out) != nullptr;
}

}  // namespace os
