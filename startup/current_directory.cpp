// Current directory, short names and the handle allowance over os/.
#include "startup/current_directory.h"

#include <cstdlib>
#include <utility>

#include "os/fs.h"
#include "os/path_parts.h"
#include "runtime/alert.h"
#include "runtime/codepage.h"
#include "runtime/strings.h"

namespace startup {

namespace {

constexpr std::string_view kKernel = "Kernel32";
constexpr intptr_t kLoadedLibrary = 0x10000;  // any result above 32 means loaded
constexpr size_t kShortPathBuffer = 260;

LibraryLoader& loader() {
    static LibraryLoader fn;
    return fn;
}

// Loads the library for one call; shows the alert and answers false when
// it cannot be loaded.
bool bindKernel() {
    intptr_t result = loader() ? loader()(kKernel) : kLoadedLibrary;
    if (std::llabs(static_cast<long long>(result)) > 32) return true;
    std::string number = runtime::CVALTOCHAR(runtime::Value(static_cast<long long>(result)));
    runtime::_ALERT("Error code: " + number + " loading " + std::string(kKernel));
    return false;
}

}  // namespace

std::optional<bool> SETCURRENTDIRECTORY(std::string_view cFolder) {
    if (!bindKernel()) return std::nullopt;
    return os::setCurrentDirectory(std::string(cFolder)).ok();
}

std::optional<uint32_t> GETCURRENTDIRECTORY(uint32_t nBufLen, std::string& cDir) {
    if (!bindKernel()) return std::nullopt;
    os::Result<std::string> dir = os::currentDirectory();
    if (!dir.ok()) return 0u;
    uint32_t length = static_cast<uint32_t>(dir.value().size());
    if (length >= nBufLen) return length + 1;
    cDir = dir.value();
    return length;
}

std::string GETPATHSHORT(std::string_view cPath) {
    os::Result<std::string> shortName = os::shortPathName(std::string(cPath));
    if (!shortName.ok() || shortName.value().size() >= kShortPathBuffer) return {};
    return runtime::ALLTRIM(shortName.value());
}

std::string curDirOf(std::string_view dir) {
    if (dir.size() >= 2 && dir[1] == ':') dir.remove_prefix(2);
    while (!dir.empty() && os::isPathSeparator(dir.front())) dir.remove_prefix(1);
    while (!dir.empty() && os::isPathSeparator(dir.back())) dir.remove_suffix(1);
    std::string out(dir);
    for (char& ch : out) {
        if (ch == '/') ch = '\\';
    }
    return out;
}

std::string CURDIR() {
    os::Result<std::string> dir = os::currentDirectory();
    return dir.ok() ? curDirOf(dir.value()) : std::string();
}

int SETHANDLECOUNT(int nFiles) {
    if (nFiles < 0) nFiles = 0;
    return static_cast<int>(os::setHandleCount(static_cast<uint32_t>(nFiles)));
}

void setLibraryLoader(LibraryLoader fn) {
    loader() = std::move(fn);
}

}  // namespace startup
