// The register walk: sound, looping, or missing companies.
#include "updater/register_walk.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(RegisterWalkTest, LoopsAndMissedRecords) {
    RegisterWalk sound(3);
    for (uint32_t rec : {2u, 1u, 3u}) EXPECT_TRUE(sound.step({rec}));
    EXPECT_EQ(sound.problem(3), "");
    EXPECT_EQ(sound.problem(4), "su orden recorre 3 de las 4 empresas");

    RegisterWalk loop(3);
    EXPECT_TRUE(loop.step({1}));
    EXPECT_TRUE(loop.step({2}));
    EXPECT_FALSE(loop.step({1}));
    EXPECT_FALSE(loop.step({3}));  // the walk stays ended
    EXPECT_EQ(loop.problem(3), "su orden vuelve al registro 1");

    RegisterWalk beyond(1);
    EXPECT_TRUE(beyond.step({1}));
    EXPECT_FALSE(beyond.step({5}));
}

}  // namespace
}  // namespace updater
