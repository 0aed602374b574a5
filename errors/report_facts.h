// Gathers the facts of the error report from the running process: the
// executable, the clock, the call frames, the machine and the tables.
#pragma once

#include "errors/error_report.h"

namespace errors {

// Call levels counted from the handler that the report lists: level 0 is the
// handler, level 1 the installed error block.
inline constexpr int kFirstCallerLevel = 2;
inline constexpr int kLastCallerLevel = 73;

// The caller frames (levels 2 to 73 with a name) from the runtime's stack.
std::vector<FrameFacts> callerFrames();

// Everything of the report except the description and the arguments, which
// come from the error object.
ReportFacts gatherFacts();

}  // namespace errors
