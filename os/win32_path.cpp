// Path spelling on Windows: the file system already ignores case and accepts
// both separators, so paths pass through unchanged.
#include "os/path.h"

namespace os {

std::string resolvePath(const std::string& path) {
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '\\' || last == '/' || last == ':') return folder + name;
    return folder + "\\" + name;
}

}  // namespace os
