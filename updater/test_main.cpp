// The updater's test program. Started as "--run-updater <root> <log>" it is
// the updater itself in console mode, writing its progress lines to <log>
// unbuffered: the crash test starts it that way and kills it. Started as
// "--hold <file> <marker>" it holds a file open like another program would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "errors/error_handler.h"
#include "os/clock.h"
#include "os/file.h"
#include "runtime/error.h"
#include "updater/console_progress.h"
#include "updater/run.h"
#include "updater/run_state.h"

namespace {

int runUpdaterChild(const std::string& root, const char* logPath) {
    std::FILE* log = std::fopen(logPath, "w");
    if (!log) return 3;
    std::setvbuf(log, nullptr, _IONBF, 0);
    errors::ERRORSYS();
    updater::ConsoleProgress progress(log);
    int code = 0;
    try {
        updater::MAIN(root + "\\BIN", "FA", progress);
        code = updater::runState().exitCode;
    } catch (const runtime::ProgramExit& e) {
        code = e.code;
    }
    std::fclose(log);
    return code;
}

// Holds <file> open, as another program would, until killed; <marker> is
// made once the file is open, whole and closed: it is written under another
// name and renamed, so that the waiting test never finds it still open.
int holdFile(const std::string& file, const std::string& marker) {
    auto held =
        os::File::open(file, os::Access::Read, os::Share::Shared, os::Disposition::OpenExisting);
    if (!held.ok()) return 3;
    std::string part = marker + ".part";
    std::FILE* m = std::fopen(part.c_str(), "w");
    if (!m) return 3;
    std::fclose(m);
    if (std::rename(part.c_str(), marker.c_str()) != 0) return 3;
    for (int i = 0; i < 600; ++i) os::sleepMs(100);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--run-updater") == 0)
        return runUpdaterChild(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--hold") == 0) return holdFile(argv[2], argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
