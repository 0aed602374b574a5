// Entry point of os_tests: runs a helper child role when started with the
// child flag (two-process tests), the tests otherwise.
#include <gtest/gtest.h>

#include <cstring>

#include "os/os_testutil.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], os::test::kChildFlag) == 0)
        return os::test::runChildRole(std::vector<std::string>(argv + 2, argv + argc));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
