// One separator in the paths the program shows.
#include "updater/shown_path.h"

#include "startup/file_names.h"

namespace updater {
namespace {

bool onWindows() {
    return startup::nativePathStyle() == startup::PathStyle::kWindows;
}

std::string replaced(std::string_view text, char from, char to) {
    std::string out(text);
    for (char& ch : out)
        if (ch == from) ch = to;
    return out;
}

}  // namespace

std::string shownPath(std::string_view path) {
    return onWindows() ? replaced(path, '/', '\\') : replaced(path, '\\', '/');
}

std::string shownPathsIn(std::string_view text) {
    return onWindows() ? std::string(text) : replaced(text, '\\', '/');
}

}  // namespace updater
