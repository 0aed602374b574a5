// The process-wide soft-failure state of table operations: the network-error
// flag NETERR and the open-error code NERRORCODE. The table layer sets and
// clears them; the error handler (above it) sets them for silent failures.
#pragma once

#include <optional>

namespace runtime {

// NETERR([lNew]): with an argument, stores it. Returns the flag (after the
// store). False at program start.
bool NETERR(std::optional<bool> lNew = std::nullopt);

// NERRORCODE([nNew]): with an argument, stores it. Returns the stored code:
// the operating-system code of the last failed open (2, 3, 4, 5, 32), 0 when
// cleared. 0 at program start.
int NERRORCODE(std::optional<int> nNew = std::nullopt);

}  // namespace runtime
