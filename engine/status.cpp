// How a status prints in test failures (see status.h).
#include "engine/status.h"

#include <ostream>

namespace engine {

void PrintTo(const Status& s, std::ostream* out) {
    *out << s.code() << " (" << s.message() << ")";
}

}  // namespace engine
