// Path resolution on POSIX: backslashes are separators and existing
// components are found without regard to case (see path.h).
#include <dirent.h>
#include <sys/stat.h>

#include <optional>
#include <vector>

#include "os/path.h"
#include "os/path_parts.h"

namespace os {
namespace {

// Folds a name byte to lower case the way Windows compares names: ASCII and
// the Windows-1252 letters (the program writes its names in that code page).
unsigned char foldByte(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    switch (c) {
        case 0x8A:
            return 0x9A;  // S caron
        case 0x8C:
            return 0x9C;  // OE
        case 0x8E:
            return 0x9E;  // Z caron
        case 0x9F:
            return 0xFF;  // Y diaeresis
        default:
            return c;
    }
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (foldByte(static_cast<unsigned char>(a[i])) !=
            foldByte(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

std::vector<std::string> splitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (!isPathSeparator(c)) {
            current += c;
        } else if (!current.empty()) {
            parts.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

bool exists(const std::string& native) {
    struct stat st;
    return ::lstat(native.c_str(), &st) == 0;
}

// The entry of `folder` equal to `name` without regard to case; the first in
// byte order when several match.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return std::nullopt;
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir)) {
        if (!equalsIgnoringCase(name, entry->d_name)) continue;
        if (!best || std::string(entry->d_name) < *best) best = entry->d_name;
    }
    ::closedir(dir);
    return best;
}

std::string append(const std::string& base, const std::string& name) {
    if (base.empty()) return name;
    if (isPathSeparator(base.back())) return base + name;
    return base + "/" + name;
}

}  // namespace

std::string resolvePath(const std::string& path) {
    if (path.empty()) return path;
    std::string out = isPathSeparator(path.front()) ? "/" : "";
    bool resolving = true;  // false from the first missing component on
    for (const std::string& part : splitComponents(path)) {
        std::string exact = append(out, part);
        if (!resolving || part == "." || part == ".." || exists(exact)) {
            out = std::move(exact);
            continue;
        }
        std::optional<std::string> match = findIgnoringCase(out.empty() ? "." : out, part);
        resolving = match.has_value();
        out = append(out, match ? *match : part);
    }
    if (isPathSeparator(path.back()) && !out.empty() && out.back() != '/') out += '/';
    return out;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return append(folder, name);
}

}  // namespace os
