// Whole-file and folder operations on Windows (ANSI calls); error numbers are
// GetLastError() as is.
#include <windows.h>

#include <algorithm>

#include "os/fault.h"
#include "os/fs.h"
#include "os/path.h"

namespace os {
namespace {

Status lastError(const char* operation, const std::string& path) {
    return Status(static_cast<uint32_t>(::GetLastError()), std::string(operation) + " " + path);
}

// Calls `fill(buffer, capacity)`, which returns the length written or, when the
// buffer is too small, the capacity needed; 0 means failure.
template <class Fill>
Result<std::string> fetchString(const char* operation, const std::string& path, Fill fill) {
    std::string buffer(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD n = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return lastError(operation, path);
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(static_cast<size_t>(n) + 1);
    }
    return Status(kErrFilenameTooLong, std::string(operation) + " " + path);
}

// Gives a file a name that differs only in case. Some file systems treat that
// as a rename onto itself and keep the old spelling, so go through a
// temporary name.
Status renameCaseOnly(const std::string& from, const std::string& to) {
    std::string temporary = from + ".~" + std::to_string(::GetCurrentProcessId());
    if (!::MoveFileA(from.c_str(), temporary.c_str())) return lastError("rename", from);
    if (::MoveFileA(temporary.c_str(), to.c_str())) return Status();
    Status failed = lastError("rename", to);
    ::MoveFileA(temporary.c_str(), from.c_str());
    return failed;
}

}  // namespace

Status renameFile(const std::string& from, const std::string& to) {
    DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError("rename", from);
    Status fault = checkWriteFault("rename", from);
    if (!fault.ok()) return fault;
    if (from != to && ::lstrcmpiA(from.c_str(), to.c_str()) == 0) return renameCaseOnly(from, to);
    if (!::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return lastError("rename", to);
    return Status();
}

bool isReadOnly(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    // The attribute on a folder does not stop writing in it.
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status setReadOnly(const std::string& path, bool readOnly) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError("attributes", path);
    attributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                          : (attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (!::SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
        return lastError("attributes", path);
    return Status();
}

Status replaceFile(const std::string& from, const std::string& to) {
    DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError("replace", from);
    attributes = ::GetFileAttributesA(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return Status(kErrAccessDenied, "replace " + to);
    Status fault = checkWriteFault("replace", to);
    if (!fault.ok()) return fault;
    if (!::MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError("replace", to);
    return Status();
}

Status flushFolder(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError("flush folder", path);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Status(kErrPathNotFound, "flush folder " + path);
    return checkWriteFault("flush folder", path);
}

Status copyFile(const std::string& from, const std::string& to) {
    // Checked here too: an emulation run by an administrator may not refuse it.
    if (isReadOnly(to)) return Status(kErrAccessDenied, "copy " + to + " (read-only)");
    Status fault = checkWriteFault("copy", to);
    if (!fault.ok()) return fault;
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) return lastError("copy", to);
    return Status();
}

// What both erasures check first: the file is there, is no folder and is not
// read-only; then the erasure counts as a file-modifying call.
Status mayErase(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return lastError("erase", path);
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return Status(kErrAccessDenied, "erase " + path);
    Status fault = checkWriteFault("erase", path);
    if (!fault.ok()) return fault;
    return Status();
}

Status eraseFile(const std::string& path) {
    if (Status refused = mayErase(path); !refused.ok()) return refused;
    if (!::DeleteFileA(path.c_str())) return lastError("erase", path);
    return Status();
}

Status eraseFileInSteps(const std::string& path, const std::function<void()>& between,
                        uint64_t stepBytes) {
    if (Status refused = mayErase(path); !refused.ok()) return refused;
    // Opened as DeleteFile opens it (refused with 32 while another handle
    // does not share deletion, 5 for a read-only file), and marked for
    // deletion: from here the file goes when this handle closes, whatever
    // happens in between.
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError("erase", path);
    FILE_DISPOSITION_INFO dispose{TRUE};
    if (!::SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose)) {
        Status s = lastError("erase", path);
        ::CloseHandle(h);
        return s;
    }
    LARGE_INTEGER size{};
    ::GetFileSizeEx(h, &size);
    const LONGLONG step = static_cast<LONGLONG>(std::max<uint64_t>(stepBytes, 1));
    while (size.QuadPart > 0) {
        size.QuadPart = size.QuadPart > step ? size.QuadPart - step : 0;
        if (!::SetFilePointerEx(h, size, nullptr, FILE_BEGIN) || !::SetEndOfFile(h)) break;
        if (between) between();
    }
    ::CloseHandle(h);
    return Status();
}

size_t maxPathLength() {
    return MAX_PATH - 1;
}

Result<uint64_t> freeDiskBytes(const std::string& path) {
    // The wide call takes any folder of the volume, not only its root; the
    // path is converted from the ANSI code page the other calls use.
    int chars = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (chars <= 0) return lastError("free space", path);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), chars);
    ULARGE_INTEGER available;
    if (!::GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr))
        return lastError("free space", path);
    return static_cast<uint64_t>(available.QuadPart);
}

bool fileInUse(const std::string& path) {
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(h);
    return false;
}

bool fileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folderExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status makeFolder(const std::string& path) {
    if (path.empty()) return Status(kErrInvalidName, "make folder (empty name)");
    Status fault = checkWriteFault("make folder", path);
    if (!fault.ok()) return fault;
    if (!::CreateDirectoryA(path.c_str(), nullptr)) return lastError("make folder", path);
    return Status();
}

Status removeFolder(const std::string& path) {
    if (!::RemoveDirectoryA(path.c_str())) return lastError("remove folder", path);
    return Status();
}

Result<std::vector<FolderEntry>> listFolder(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(joinPath(path.empty() ? "." : path, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return lastError("list folder", path);
    std::vector<FolderEntry> entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        uint64_t size =
            folder ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        entries.push_back({std::move(name), folder, size});
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

Result<std::string> currentDirectory() {
    return fetchString("current directory", ".", [](char* buffer, DWORD capacity) {
        return ::GetCurrentDirectoryA(capacity, buffer);
    });
}

Status setCurrentDirectory(const std::string& path) {
    if (!::SetCurrentDirectoryA(path.c_str())) return lastError("set current directory", path);
    return Status();
}

Result<std::string> programFileName() {
    return fetchString("program file name", "", [](char* buffer, DWORD capacity) -> DWORD {
        DWORD n = ::GetModuleFileNameA(nullptr, buffer, capacity);
        return n == capacity ? capacity * 2 : n;  // truncated: ask for more room
    });
}

Result<std::string> shortPathName(const std::string& path) {
    return fetchString("short path", path, [&path](char* buffer, DWORD capacity) {
        return ::GetShortPathNameA(path.c_str(), buffer, capacity);
    });
}

uint32_t setHandleCount(uint32_t count) {
    return ::SetHandleCount(count);
}

}  // namespace os
