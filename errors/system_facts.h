// Facts about the machine and the process that the error report prints
// (os/system_facts.h gathers them), under the report's own names: system
// version, physical memory, the process's memory use, the list of top-level
// window titles and the file-handle allowance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/fs.h"
#include "os/system_facts.h"

namespace errors {

using os::OsVersion;
using os::physicalMemoryBytes;
using os::ProcessMemory;
using os::processMemory;

// The system version list: major, minor, build number, platform id and the
// service-pack text.
inline OsVersion GETVERSION() {
    return os::osVersion();
}
// True on the Windows NT family (platform id 2).
inline bool ISWINNT() {
    return GETVERSION().platformId == 2;
}

// Titles of the visible top-level windows in window order, each title once.
// Empty where there is no window system.
inline std::vector<std::string> GETTASKS() {
    return os::topWindowTitles();
}

// The task counter of the old 16-bit systems; always 0 here.
inline int GETNUMTASKS() {
    return 0;
}

// The file-handle allowance as the platform answers a request for 0 handles
// (the Windows call answers the number it was given; elsewhere 0).
inline int handleCountAnswer() {
    return static_cast<int>(os::setHandleCount(0));
}

}  // namespace errors
