// The meter's text and geometry: the caption and percentage composition,
// the origin of a text too large for the control, the filled part's edge.
#include "toolkit/meter_layout.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

TEST(MeterLayoutTest, PercentageIsFourCharactersPaddedWithSpaces) {
    EXPECT_EQ(meterText(std::string(1, '\0'), true, 5), "  5%");
    EXPECT_EQ(meterText(std::string(1, '\0'), true, 42), " 42%");
    EXPECT_EQ(meterText(std::string(1, '\0'), true, 0), "  0%");
    EXPECT_EQ(meterText(std::string(1, '\0'), true, 100), "100%");
}

TEST(MeterLayoutTest, CaptionGetsOneSpaceBeforeThePercentage) {
    EXPECT_EQ(meterText("ACTUALIZANDO", true, 42), "ACTUALIZANDO  42%");
    EXPECT_EQ(meterText("ACTUALIZANDO", false, 42), "ACTUALIZANDO ");
    // Text after a zero byte is not part of the caption.
    EXPECT_EQ(meterText(std::string("AB\0CD", 5), true, 7), "AB   7%");
}

TEST(MeterLayoutTest, ZeroByteOrEmptyCaptionIsNoCaption) {
    EXPECT_EQ(meterText(std::string(1, '\0'), true, 42), " 42%");
    EXPECT_EQ(meterText("", true, 42), " 42%");
    EXPECT_EQ(meterText("", false, 42), "");
}

TEST(MeterLayoutTest, LongCaptionIsCutSoThatThePercentageStays) {
    const std::string caption(200, 'X');
    const std::string text = meterText(caption, true, 42);
    EXPECT_EQ(text.size(), kMeterTextBytes - 1);
    EXPECT_EQ(text.substr(text.size() - 5), "  42%");  // the caption's space, then " 42%"
    EXPECT_EQ(meterText(std::string(kMeterCaptionBytes, 'Y'), true, 1).size(), kMeterTextBytes - 1);
}

TEST(MeterLayoutTest, PercentIsTruncatedAndHeldToTheBar) {
    EXPECT_EQ(meterPercent(41.99), 41u);
    EXPECT_EQ(meterPercent(0.5), 0u);
    EXPECT_EQ(meterPercent(-3), 0u);
    EXPECT_EQ(meterPercent(250), 100u);
    EXPECT_EQ(meterPercent(99.999), 99u);
}

TEST(MeterLayoutTest, TextWiderThanTheControlStartsOutOfSight) {
    EXPECT_EQ(meterTextOrigin(300, 40), 130);
    EXPECT_EQ(meterTextOrigin(301, 41), 130);  // each half truncated on its own
    EXPECT_EQ(meterTextOrigin(300, 302), 65535);
    EXPECT_GT(meterTextOrigin(20, 400), 65000);
}

TEST(MeterLayoutTest, FilledPartEndsAtAShareOfTheLastColumn) {
    EXPECT_EQ(meterFillRight(300, 0), 0);
    EXPECT_EQ(meterFillRight(300, 5), 14);    // 299 * 5 / 100
    EXPECT_EQ(meterFillRight(300, 42), 125);  // 299 * 42 / 100
    EXPECT_EQ(meterFillRight(300, 100), 299);
}

// A 14-pixel cell in the 13 pixels a 9-unit meter gets from 12-pixel base
// units: the meter grows about its middle until the text starts on the row
// under the frame and ends on the row above it, whatever the parity.
TEST(MeterLayoutTest, MeterLowerThanItsFontGrowsUntilTheCellFitsInsideTheFrame) {
    EXPECT_EQ(meterRowsForFont({271, 13}, 14), (MeterRows{270, 16}));
    EXPECT_EQ(meterRowsForFont({271, 14}, 14), (MeterRows{270, 16}));
    EXPECT_EQ(meterRowsForFont({100, 10}, 15), (MeterRows{97, 17}));
    for (int cell : {13, 14, 15}) {
        const MeterRows fit = meterRowsForFont({50, 9}, cell);
        EXPECT_EQ(meterTextOrigin(fit.height, cell), 1) << cell;
        EXPECT_EQ(meterTextOrigin(fit.height, cell) + cell, fit.height - 1) << cell;
    }
    EXPECT_EQ(meterRowsForFont({10, 20}, 14), (MeterRows{10, 20})) << "high enough: kept";
    EXPECT_EQ(meterRowsForFont({10, 16}, 14), (MeterRows{10, 16}));
    EXPECT_EQ(meterRowsForFont({10, 5}, 0), (MeterRows{10, 5})) << "no font measured";
}

}  // namespace
}  // namespace toolkit
