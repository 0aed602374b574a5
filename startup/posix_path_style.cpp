// Path style of POSIX builds: both separators, ASCII upper-casing.
#include "startup/file_names.h"

namespace startup {

PathStyle nativePathStyle() {
    return PathStyle::kPosix;
}

}  // namespace startup
