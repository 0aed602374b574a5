// The console's encoding on Windows: the program writes its own code page,
// Windows-1252, as the system's other programs of this family do.
#include <io.h>

#include <cstdio>

#include "runtime/console_text.h"

namespace runtime {

ConsoleEncoding platformConsoleEncoding() {
    return ConsoleEncoding::kWindows1252;
}

bool consoleIsTerminal(std::FILE* out) {
    return out && _isatty(_fileno(out)) != 0;
}

}  // namespace runtime
