// Tests of call frames: nesting, names and lines by level, variables, and
// unwinding by exceptions.
#include "runtime/frames.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace runtime {
namespace {

void inner(std::vector<FrameInfo>& seen) {
    Frame f("TABLAS", 120);
    f.param("cCodEmp", "0001").localValue("nRec", 1);
    f.localValue("NREC", 2);  // same local, other case
    f.setLine(125);
    seen = callStack();
}

TEST(FramesTest, StackListsInnermostFirstWithVariables) {
    const int base = frameDepth();
    std::vector<FrameInfo> seen;
    {
        Frame outer("ACTUA", 40);
        inner(seen);
        EXPECT_EQ(PROCNAME(), "ACTUA");
        EXPECT_EQ(PROCLINE(), 40);
    }
    EXPECT_EQ(frameDepth(), base);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].name, "TABLAS");
    EXPECT_EQ(seen[0].line, 125);
    ASSERT_EQ(seen[0].params.size(), 1u);
    EXPECT_EQ(seen[0].params[0].value.text(), "0001");
    ASSERT_EQ(seen[0].locals.size(), 1u);
    EXPECT_EQ(seen[0].locals[0].value.num(), 2);
    EXPECT_EQ(seen[1].name, "ACTUA");
}

TEST(FramesTest, LevelsBeyondTheOutermostAreEmpty) {
    Frame f("MAIN", 1);
    EXPECT_EQ(PROCNAME(0), "MAIN");
    EXPECT_EQ(PROCNAME(frameDepth()), "");
    EXPECT_EQ(PROCLINE(frameDepth() + 5), 0);
    EXPECT_FALSE(frameAt(-1));
}

TEST(FramesTest, ExceptionsPopTheFramesTheyLeave) {
    const int base = frameDepth();
    try {
        Frame a("A");
        Frame b("B");
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(frameDepth(), base);
}

TEST(FramesTest, VariablesAreReadWhenTheStackIsListed) {
    std::string cFile = "A";
    std::optional<std::string> cAlias;
    long nRec = 1;
    Frame f("REFILL");
    f.param("cFile", cFile).param("cAlias", cAlias).local("nRec", nRec);
    nRec = 7;
    cFile = "B";
    f.here();
    const int line = __LINE__ - 1;
    std::vector<FrameInfo> seen = callStack();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].line, line);
    ASSERT_EQ(seen[0].params.size(), 2u);
    EXPECT_EQ(seen[0].params[0].value.text(), "B");
    EXPECT_TRUE(seen[0].params[1].value.isNil());  // an absent argument
    ASSERT_EQ(seen[0].locals.size(), 1u);
    EXPECT_EQ(seen[0].locals[0].value.num(), 7);
}

}  // namespace
}  // namespace runtime
