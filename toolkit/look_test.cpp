// The look settings' accessors: defaults, stored values, the classic
// switch's effects, and the font size in points.
#include "toolkit/look.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

class LookTest : public ::testing::Test {
protected:
    void SetUp() override { clearLookSettings(); }
    void TearDown() override { clearLookSettings(); }
};

TEST_F(LookTest, NothingStoredAnswersTheBuiltInLook) {
    EXPECT_EQ(NLINESTYLE(), 5);
    EXPECT_EQ(NXCLRLINE(), 0u);
    EXPECT_EQ(NCLRBHDR(), 13292503u);
    EXPECT_EQ(NCLRPANE(), 15396845u);
    EXPECT_EQ(NCLRPROW1(), 16777215u);
    EXPECT_EQ(NCLRPROW2(), 15396845u);
    EXPECT_TRUE(LALTERCLR());
    EXPECT_EQ(NHLINE(), 5);
    EXPECT_EQ(NCLRBACKFOCUS(), 8750724u);
    EXPECT_EQ(NCLRFOREFOCUS(), 16777215u);
    EXPECT_FALSE(LCLASSIC());
    EXPECT_FALSE(NCLRDESKTOP());
    EXPECT_FALSE(NFONTTITULO());
    EXPECT_EQ(NCLRTITULO(), 0u);
    EXPECT_FALSE(userFontDescription());
}

TEST_F(LookTest, ClassicLookChangesTheBrowseBackgroundDefaultOnly) {
    LCLASSIC(true);
    EXPECT_EQ(NCLRPANE(), 12632256u);
    NCLRPANE(0x123456);
    EXPECT_EQ(NCLRPANE(), 0x123456u);
    LCLASSIC(false);
    EXPECT_EQ(NCLRPANE(), 0x123456u) << "a stored value never gives way to the default";
}

TEST_F(LookTest, ColourBrowseSwitchAnswersTheClassicLook) {
    EXPECT_FALSE(LCOLORBRW(true));
    EXPECT_FALSE(LCOLORBRW());
    LCLASSIC(true);
    EXPECT_TRUE(LCOLORBRW());
}

TEST_F(LookTest, StoredValueIsAnsweredAtOnceAndLater) {
    EXPECT_EQ(NLINESTYLE(3), 3);
    EXPECT_EQ(NLINESTYLE(), 3);
    EXPECT_EQ(*NCLRSAY(0xFF), 0xFFu);
    EXPECT_EQ(*NCLRSAY(), 0xFFu);
}

TEST_F(LookTest, UserFontIsMadeWithPositiveSizesWhenBothAreNegative) {
    userFontDescription(UserFont{"Arial", -5, -14, true, false});
    EXPECT_EQ(userFontDescription()->nHeight, -14) << "stored as given";
    const UserFont made = userFontForCreation(*userFontDescription());
    EXPECT_EQ(made.nWidth, 5);
    EXPECT_EQ(made.nHeight, 14);
    EXPECT_EQ(userFontForCreation(UserFont{"Arial", 0, -14}).nHeight, -14);
}

TEST_F(LookTest, FontSizeInPointsRoundsFractionsUpByAQuarter) {
    EXPECT_DOUBLE_EQ(NSIZE(-16, 96), 12);  // exactly 12
    EXPECT_DOUBLE_EQ(NSIZE(-13, 96), 10);  // 9.75 + 0.25
    EXPECT_DOUBLE_EQ(NSIZE(-11, 96), 8);   // 8.25: exactly a quarter is dropped
    EXPECT_DOUBLE_EQ(NSIZE(13, 96), 9.5);  // -9.75 + 0.25, then the absolute value
    EXPECT_DOUBLE_EQ(NSIZE(-14, 0), 0);
}

}  // namespace
}  // namespace toolkit
