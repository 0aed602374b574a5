// The program's command line: [--console] [--check [--json FILE]] <path>
// <variant>, and the usage text shown when it cannot be taken.
#pragma once

#include <optional>
#include <string>

namespace updater {

struct Arguments {
    bool console = false;
    bool check = false;
    std::optional<std::string> path;     // the program's folder path (root + 4 characters)
    std::optional<std::string> variant;  // kept and unused
    std::optional<std::string> json;     // where --check writes its JSON
    // Why the line cannot be taken, for people (Windows-1252); empty when it can.
    std::string error;
};

// Reads argv[1..argc-1]. Without a path, with an option it does not know,
// or with --json lacking its file, `error` says so. Words beyond the
// variant are left unread, as they always were.
Arguments parseArguments(int argc, const char* const* argv);

// What the program expects, with an example (Windows-1252, lines ended by
// "\n"). `why` opens it when not empty.
std::string usageText(const std::string& why);

}  // namespace updater
