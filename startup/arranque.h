// ARRANQUE: the start-up sequence. Run once by the entry routine, after it
// has chosen the code page and the table driver and before any table is
// opened: it takes a large file-handle allowance, moves the current
// directory to the executable's folder, sets the working date and the
// process-wide runtime settings, and fills the start-up settings record.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace startup {

// ARRANQUE([cPath], [lNetwork], [lBasic]):
//   cPath    the start path; absent: "\" + CURDIR() + "\" of the directory
//            current when the program started (".\" at a drive's root);
//   lNetwork the network flag (LNETWORK, LZENTA), default false;
//   lBasic   the basic-variant flag (LBASICA), default false.
// Afterwards: the current directory is the executable's folder, upper-cased;
// the working date is today; CONFIRM off, DATEFORMAT "dd-mm-yy" (or
// "dd-mm-yyyy" with the century on), DELETED on, ESCAPE on, EXCLUSIVE on,
// INTENSITY on, SCOREBOARD off, WRAP on, EPOCH 1920; the table-handle budget
// (NHANDLERS) is the allowance granted; the printing destinations are
// computed. Always returns false.
// Moves the current directory to the running executable's folder, as
// ARRANQUE does: every relative path the run meets afterwards (an
// installation path, an accounting folder) is relative to it. A failure is
// not reported: the program goes on where it is.
void moveToProgramFolder();

bool ARRANQUE(std::optional<std::string> cPath = std::nullopt,
              std::optional<bool> lNetwork = std::nullopt,
              std::optional<bool> lBasic = std::nullopt);

// The start path used when none is given, from CURDIR().
std::string defaultStartPath(std::string_view curDir);

// The start path as stored: a path ending in two backslashes loses the
// last one; any other path is kept as given.
std::string normaliseStartPath(std::string path);

// The file-handle allowance ARRANQUE asks for.
inline constexpr int kHandleAllowance = 2000;

}  // namespace startup
