// System facts on Windows: version, memory figures, top-level window titles.
#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <set>

#include "os/system_facts.h"

namespace os {

OsVersion osVersion() {
    OsVersion v;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return v;
#pragma GCC diagnostic pop
    v.major = static_cast<int>(info.dwMajorVersion);
    v.minor = static_cast<int>(info.dwMinorVersion);
    v.build = static_cast<int>(info.dwBuildNumber & 0xFFFF);
    v.platformId = static_cast<int>(info.dwPlatformId);
    v.servicePack = info.szCSDVersion;
    return v;
}

uint64_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return status.ullTotalPhys;
}

ProcessMemory processMemory() {
    ProcessMemory m;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        m.currentBytes = counters.WorkingSetSize;
        m.peakBytes = counters.PeakWorkingSetSize;
    }
    return m;
}

std::vector<std::string> topWindowTitles() {
    std::vector<std::string> titles;
    std::set<std::string> seen;
    // Window order starts at the first window of the active window's order
    // (the topmost ones when nothing is active).
    HWND start = GetForegroundWindow();
    HWND w = start ? GetWindow(start, GW_HWNDFIRST) : GetTopWindow(nullptr);
    for (; w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w)) continue;
        char title[256] = {};
        if (GetWindowTextA(w, title, sizeof title) <= 0) continue;
        if (seen.insert(title).second) titles.push_back(title);
    }
    return titles;
}

bool localTime(std::time_t when, std::tm* out) {
    return localtime_s(out, &when) == 0;
}

}  // namespace os
