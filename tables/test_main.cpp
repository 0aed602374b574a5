// Entry of the table layer's test program. With "--hold" it is the second
// process of the sharing tests instead: it opens a table (exclusive, or
// shared with one record or the whole table locked), says so through a ready file and keeps it
// until a release file appears.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "runtime/error.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"

namespace {

// argv: --hold <table> <exclusive|lock|table> <recno> <ready file> <release file>
int holdTable(char** argv) {
    std::string table = argv[2], mode = argv[3], ready = argv[5], release = argv[6];
    tables::RDDREGISTER("ADS", tables::kRddTable);
    tables::RDDSETDEFAULT("ADS");
    bool exclusive = mode == "exclusive";
    tables::DBUSEAREA(true, std::nullopt, table, "HELD", !exclusive, false);
    if (!tables::USED()) return 2;
    if (mode == "lock") {
        tables::DBGOTO(static_cast<uint32_t>(std::stoul(argv[4])));
        if (!tables::RLOCK()) return 3;
    } else if (mode == "table" && !tables::FLOCK()) {
        return 3;
    }
    {
        auto made = os::File::open(ready, os::Access::ReadWrite, os::Share::Shared,
                                   os::Disposition::CreateAlways);
        if (!made.ok()) return 4;
    }
    uint64_t start = os::monotonicMs();
    while (!os::fileExists(release) && os::monotonicMs() - start < 60000) os::sleepMs(20);
    tables::DBCLOSEALL();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "--hold") == 0) {
        try {
            return holdTable(argv);
        } catch (const runtime::ProgramExit& e) {
            return e.code;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
