// Writes a demo installation to migrate:
//   demo_install <root> [rows per table] [branch companies]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "updater/demo_installation.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: demo_install <root> [rows] [branches]\n");
        return 2;
    }
    long rows = argc > 2 ? std::atol(argv[2]) : 3000;
    int branches = argc > 3 ? std::atoi(argv[3]) : 0;
    if (rows < 0 || branches < 0 || branches > 899) {
        std::fprintf(stderr, "demo_install: rows must not be negative, branches 0 to 899\n");
        return 2;
    }
    if (std::filesystem::exists(argv[1])) {
        std::fprintf(stderr, "demo_install: %s already exists\n", argv[1]);
        return 2;
    }
    try {
        updater::demo::makeDemo(argv[1], rows, branches);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo_install: %s\n", e.what());
        return 1;
    }
    std::printf("demo installation written to %s\n", argv[1]);
    return 0;
}
