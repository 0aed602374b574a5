// The check of an installation as people read it (one block per company and
// a final summary) and as installers read it (JSON).
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "updater/installation_check.h"
#include "updater/json_writer.h"

namespace updater {

// The console text, Windows-1252 like every other text of the program.
std::string formatCheck(const InstallationCheck& check);

// The same facts as one JSON object, UTF-8.
std::string checkJson(const InstallationCheck& check);

// The check as the program runs it: `cPath` gives the installation root as
// the run's first argument does; the text goes to `out` (converted to UTF-8
// with `utf8`), and the JSON to the file `jsonFile` when given. Returns the
// exit code a run would end with (0, 2 or 1); 1 also when there is no
// path, or the JSON file cannot be written.
int runCheck(const std::optional<std::string>& cPath, const std::optional<std::string>& jsonFile,
             std::FILE* out, bool utf8);

}  // namespace updater
