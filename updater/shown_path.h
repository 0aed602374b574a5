// Paths as people read them. The run builds its paths by joining the
// installation's own folders, written with backslashes, to the root it was
// given; on Linux that root is a POSIX path, so a path such as
// "/srv/inst\DBF004\" mixes both separators. What the console and the run's
// record show uses one separator, the platform's own.
#pragma once

#include <string>
#include <string_view>

namespace updater {

// `path`, which is a path and nothing else, with every separator written as
// the running platform writes it: '\' on Windows, '/' elsewhere (where the
// program takes '\' as a separator too, os/path.h).
std::string shownPath(std::string_view path);

// A sentence that may name paths: on Linux every '\' becomes '/' (the
// program's texts use it only as a separator). On Windows the text is left
// as it is, since its paths already use '\' and a '/' there is more likely
// a count ("2/3") than a separator.
std::string shownPathsIn(std::string_view text);

}  // namespace updater
