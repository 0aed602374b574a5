// The runtime test program's entry: runs the tests, or, when started with
// "--quit-now-child <file>", acts as the child process of the quitNow test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "runtime/error.h"

namespace {

// Writes `text` when destroyed: shows whether the stack was unwound.
struct WritesOnUnwind {
    std::FILE* file;
    ~WritesOnUnwind() { std::fputs(" unwound", file); }
};

// Leaves buffered output in a stream and ends the process with quitNow.
int quitNowChild(const char* path) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 99;
    WritesOnUnwind guard{f};
    std::fputs("flushed", f);
    runtime::quitNow(7);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--quit-now-child") == 0) return quitNowChild(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
