// File-name functions over the program's path spelling.
#include "startup/file_names.h"

#include <string>

#include "os/fs.h"
#include "runtime/codepage.h"

namespace startup {

namespace {

bool isSeparator(char ch, PathStyle style) {
    return ch == '\\' || (style == PathStyle::kPosix && ch == '/');
}

std::string upperName(std::string_view s, PathStyle style) {
    if (style == PathStyle::kWindows) return runtime::UPPER(s);
    std::string out(s);
    for (char& ch : out) {
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    return out;
}

// 0-based position of the last separator, npos when there is none.
size_t lastSeparator(std::string_view c, PathStyle style) {
    for (size_t i = c.size(); i > 0; --i) {
        if (isSeparator(c[i - 1], style)) return i - 1;
    }
    return std::string_view::npos;
}

// The name part the extension functions work on: CFILENOPATH, trimmed.
std::string namePart(std::string_view c, PathStyle style) {
    return runtime::ALLTRIM(CFILENOPATH(c, style));
}

}  // namespace

std::string CFILEDISC(std::string_view c, PathStyle style) {
    if (c.size() >= 2 && c[1] == ':') return upperName(c.substr(0, 2), style);
    return {};
}

std::string CFILEPATH(std::string_view c, PathStyle style) {
    size_t n = lastSeparator(c, style);
    if (n == std::string_view::npos) return CFILEDISC(c, style) + "\\";
    return upperName(c.substr(0, n + 1), style);
}

std::string CFILENOPATH(std::string_view c, PathStyle style) {
    size_t n = lastSeparator(c, style);
    if (n != std::string_view::npos && n + 1 < c.size()) return upperName(c.substr(n + 1), style);
    size_t colon = c.find(':');
    if (colon != std::string_view::npos) return upperName(c.substr(colon + 1), style);
    return upperName(c, style);
}

std::string CFILENAME(std::string_view c, PathStyle style) {
    return CFILENOPATH(c, style);
}

std::string CFILEMASK(std::string_view c, PathStyle style) {
    std::string name = CFILENOPATH(c, style);
    if (name.find_first_of("*?") != std::string::npos) return name;
    return {};
}

std::string CFILENOEXT(std::string_view c, PathStyle style) {
    std::string name = namePart(c, style);
    size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    return runtime::ALLTRIM(name);
}

std::string CFILEEXT(std::string_view c, PathStyle style) {
    std::string name = namePart(c, style);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return name.substr(dot + 1);
}

std::string CFILESUBDIR(std::string_view c, PathStyle style) {
    if (!c.empty() && isSeparator(c.back(), style)) c.remove_suffix(1);
    return CFILEPATH(c, style);
}

bool LISDIR(std::string_view folder) {
    os::Result<std::string> remembered = os::currentDirectory();
    if (folder.empty() || !os::setCurrentDirectory(std::string(folder)).ok()) return false;
    if (remembered.ok()) (void)os::setCurrentDirectory(remembered.value());
    return true;
}

}  // namespace startup
