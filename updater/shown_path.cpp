// One separator in the paths the program shows.
#include "updater/shown_path.h"

#include "startup/file_names.h"

namespace updater {

std::string shownPath(std::string_view path) {
    const bool windows = startup::nativePathStyle() == startup::PathStyle::kWindows;
    const char from = windows ? '/' : '\\';
    const char to = windows ? '\\' : '/';
    std::string shown(path);
    for (char& ch : shown)
        if (ch == from) ch = to;
    return shown;
}

}  // namespace updater
