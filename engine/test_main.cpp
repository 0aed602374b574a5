// Entry point of engine_tests: started with the child flag it plays one
// role of a two-process test (see dbf_child_testutil.h), else runs the tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/dbf_child_testutil.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], engine::test::kEngineChildFlag) == 0)
        return engine::test::runEngineChild(std::vector<std::string>(argv + 2, argv + argc));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
