// Folder, file name, stem and extension of a Windows-style path.
#include "os/path_parts.h"

namespace os {
namespace {

bool startsWithDrive(std::string_view path) {
    const char c = path.size() >= 2 ? path[0] : '\0';
    return path.size() >= 2 && path[1] == ':' && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'));
}

// Length of the folder part: up to and including the last separator, or the
// drive, or 0.
size_t folderLength(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (isPathSeparator(path[i - 1])) return i;
    return startsWithDrive(path) ? 2 : 0;
}

}  // namespace

bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAbsolutePath(std::string_view path) {
    return (!path.empty() && isPathSeparator(path[0])) || startsWithDrive(path);
}

std::string_view folderOf(std::string_view path) {
    return path.substr(0, folderLength(path));
}

std::string_view fileNameOf(std::string_view path) {
    return path.substr(folderLength(path));
}

std::string_view extensionOf(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string_view stemOf(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    return name.substr(0, name.size() - extensionOf(path).size());
}

bool hasExtension(std::string_view path) {
    return !extensionOf(path).empty();
}

std::string withoutExtension(std::string_view path) {
    return std::string(path.substr(0, path.size() - extensionOf(path).size()));
}

std::string withExtension(std::string_view path, std::string_view extension) {
    return withoutExtension(path) + std::string(extension);
}

std::string withDefaultExtension(std::string_view path, std::string_view extension) {
    return hasExtension(path) ? std::string(path) : std::string(path) + std::string(extension);
}

}  // namespace os
