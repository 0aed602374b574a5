// What the progress dialog says when a run ends without migrating
// everything: the message box text for exit code 2 (something left as it
// was) and 1 (stopped on an error), each naming the run's record.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace updater {

// At most this many problem lines are listed; the rest are counted.
inline constexpr size_t kListedProblems = 12;

struct RunEndMessage {
    std::string title;
    // Windows-1252, lines ended by CR LF. No ";" of its own: message boxes
    // take it as a line break.
    std::string text;
};

// The message box for a run that ended with exitCode; empty text for 0.
RunEndMessage runEndMessage(int exitCode, const std::vector<std::string>& problems);

}  // namespace updater
