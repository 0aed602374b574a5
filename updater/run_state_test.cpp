// Tests of the animation tick: its 400 ms pace, the frame cycle, and the
// pace across the tick counter's sign change and wrap.
#include "updater/run_state.h"

#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

uint32_t gNow = 0;
uint32_t fakeTick() {
    return gNow;
}

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRunState();
        setTickSource(fakeTick);
        runState().dialog = &progress_;
        runState().hasPicture = true;
    }
    void TearDown() override {
        setTickSource(nullptr);
        resetRunState();
    }
    void tickAt(uint32_t now) {
        gNow = now;
        LCAMBIAICO();
    }
    RecordingProgress progress_;
};

TEST_F(AnimationTest, FramesCycleNoFasterThan400Ms) {
    runState().lastTickMs = 1000;
    tickAt(1399);  // too early: no frame, but a pump
    EXPECT_TRUE(progress_.only("ACTUA").empty());
    EXPECT_EQ(progress_.pumps, 1);
    tickAt(1400);
    tickAt(1500);  // 100 ms later: still ACTUA0
    EXPECT_EQ(progress_.only("ACTUA"), std::vector<std::string>{"ACTUA0"});
    EXPECT_EQ(progress_.pumps, 3);
    for (int i = 1; i <= 10; ++i) tickAt(1400 + 400 * static_cast<uint32_t>(i));
    std::vector<std::string> frames = progress_.only("ACTUA");
    ASSERT_EQ(frames.size(), 11u);
    EXPECT_EQ(frames[9], "ACTUA9");
    EXPECT_EQ(frames[10], "ACTUA0");  // after 9 comes 0 again
}

TEST_F(AnimationTest, NoPictureStillPumpsAndCounts) {
    runState().hasPicture = false;
    runState().lastTickMs = 0;
    tickAt(500);
    EXPECT_TRUE(progress_.only("ACTUA").empty());
    EXPECT_EQ(runState().frame, 1);
    EXPECT_EQ(progress_.pumps, 1);
}

// The counter turns negative after about 24.8 days: a signed comparison of
// plain values would freeze the picture there.
TEST_F(AnimationTest, PaceHoldsWhenCounterTurnsNegative) {
    runState().lastTickMs = 0x7FFFFF00u;
    tickAt(0x80000090u);  // 400 ms later, negative as a signed number
    EXPECT_EQ(progress_.only("ACTUA").size(), 1u);
    tickAt(0x800000A0u);  // 16 ms later
    EXPECT_EQ(progress_.only("ACTUA").size(), 1u);
}

TEST_F(AnimationTest, PaceHoldsAcrossWrap) {
    runState().lastTickMs = 0xFFFFFF00u;
    tickAt(0x00000010u);  // 272 ms later, after the wrap
    EXPECT_TRUE(progress_.only("ACTUA").empty());
    tickAt(0x00000090u);  // 400 ms
    EXPECT_EQ(progress_.only("ACTUA").size(), 1u);
}

TEST(TickDueTest, Boundaries) {
    EXPECT_FALSE(tickDue(100, 499));
    EXPECT_TRUE(tickDue(100, 500));
    EXPECT_TRUE(tickDue(0xFFFFFE70u, 0));  // exactly 400 across the wrap
    EXPECT_FALSE(tickDue(0xFFFFFE71u, 0));
}

TEST(RunStateTest, OwndIsEmptyUntilADialogExists) {
    resetRunState();
    EXPECT_EQ(OWND(), nullptr);
    EXPECT_EQ(runState().currentCode, " ");
    RecordingProgress p;
    runState().dialog = &p;
    EXPECT_EQ(OWND(), &p);
    resetRunState();
}

TEST(CompanyMarkTest, RowsUpToTheCurrentCodeAreDone) {
    runtime::HB_SETCODEPAGE("ESWIN");
    EXPECT_FALSE(companyReached("001", " "));  // before the first company
    EXPECT_FALSE(companyReached("0 4", " "));
    EXPECT_TRUE(companyReached("001", "002"));
    EXPECT_TRUE(companyReached("002", "002"));
    EXPECT_FALSE(companyReached("003", "002"));
    EXPECT_TRUE(companyReached("0 4", "001"));  // a blank sorts before digits
    EXPECT_TRUE(companyReached("A01", "a01"));  // capitals before small letters
    // The code page sorts N-tilde between N and O, not by its byte value.
    EXPECT_TRUE(
        companyReached("\xD1"
                       "01",
                       "O01"));
    EXPECT_FALSE(
        companyReached("\xD1"
                       "01",
                       "N99"));
}

}  // namespace
}  // namespace updater
