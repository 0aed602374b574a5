// Paths as people read them. The run builds its paths by joining the
// installation's own folders, written with backslashes, to the root it was
// given; on Linux that root is a POSIX path, so a path such as
// "/srv/inst\DBF004\" mixes both separators. What the console and the run's
// record show uses one separator, the platform's own.
#pragma once

#include <string>
#include <string_view>

namespace updater {

// `path` with every separator written as the running platform writes it:
// '\' on Windows, '/' elsewhere (where the program takes '\' as a separator
// too, os/path.h).
std::string shownPath(std::string_view path);

}  // namespace updater
