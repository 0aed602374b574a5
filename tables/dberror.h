// How the table layer raises its runtime errors: table-command errors
// (subsystem "DBCMD") and driver errors (subsystem the driver's name), both
// of severity 2, handed to the process-wide error handler.
#pragma once

#include <string_view>

#include "runtime/error.h"

namespace tables {

// A table-command error: SubSystem "DBCMD", the command (or alias) as Operation.
runtime::ErrorOutcome raiseCommandError(int genCode, int subCode, std::string_view operation);

// "Workarea not in use" (35/2001) for the command.
void raiseNoTable(std::string_view operation);

// A driver error: SubSystem the driver's name, no OS code, no retry. A
// `detail` (the engine's own text: which file and what failed) is added to
// the generic description in parentheses.
runtime::ErrorOutcome raiseDriverError(std::string_view driver, int genCode, int subCode,
                                       std::string_view fileName = {},
                                       std::string_view operation = {},
                                       std::string_view detail = {});

}  // namespace tables
