// Path style of Windows builds: backslash only, code-page upper-casing.
#include "startup/file_names.h"

namespace startup {

PathStyle nativePathStyle() {
    return PathStyle::kWindows;
}

}  // namespace startup
