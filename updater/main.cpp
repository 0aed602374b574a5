// The updater's entry: updater [--console] <path> <variant>. The installation
// root is <path> without its last four characters; <variant> is kept and
// changes nothing. Exit code 0 after a completed run, 1 after a reported error.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "errors/error_handler.h"
#include "runtime/error.h"
#include "updater/console_progress.h"
#include "updater/run.h"

int main(int argc, char** argv) {
    bool console = false;
    std::optional<std::string> args[2];
    int n = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--console") == 0) console = true;
        else if (n < 2) args[n++] = argv[i];
    }
#ifdef _WIN32
    if (!console)
        std::fprintf(stderr, "updater: this build has no progress dialog; running in console mode\n");
#endif
    (void)console;
    errors::ERRORSYS();
#ifdef _WIN32
    updater::ConsoleProgress progress;
#else
    updater::ConsoleProgress progress(stdout, true);
#endif
    try {
        updater::MAIN(args[0], args[1], progress);
    } catch (const runtime::ProgramExit& e) {
        std::fflush(stdout);
        return e.code;
    }
    return 0;
}
