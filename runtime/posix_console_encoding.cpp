// The console's encoding on POSIX systems: from the locale the environment
// names. The process's own locale is left alone (number formatting depends
// on it), only the variables are read.
#include <unistd.h>

#include <cstdlib>

#include "runtime/console_text.h"

namespace runtime {
namespace {

std::string_view variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

ConsoleEncoding platformConsoleEncoding() {
    static const ConsoleEncoding encoding =
        encodingForLocale(variable("LC_ALL"), variable("LC_CTYPE"), variable("LANG"));
    return encoding;
}

bool consoleIsTerminal(std::FILE* out) {
    return out && isatty(fileno(out)) == 1;
}

}  // namespace runtime
