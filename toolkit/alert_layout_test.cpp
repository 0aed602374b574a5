// The message box's layout steps with a font of fixed width (6 pixels a
// character, lines of 13 pixels), and the line cutting it counts with.
#include "toolkit/alert_layout.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

class FixedMeasure : public TextMeasure {
public:
    int lineWidth(std::string_view line) const override {
        return static_cast<int>(line.size()) * 6;
    }
    int captionWidth(std::string_view caption) const override {
        int n = 0;
        for (char c : caption) n += c != '&';
        return n * 6;
    }
    int wrappedHeight(std::string_view text, int width) const override {
        return static_cast<int>(wrapLines(text, static_cast<size_t>(width / 6)).size()) * 13;
    }
};

constexpr int kFont = 13;
constexpr int kCaption = 18;

TEST(WrapLinesTest, BreaksAtBlanksAndLineBreaks) {
    EXPECT_EQ(wrapLines("uno dos tres", 7), (std::vector<std::string>{"uno dos", "tres"}));
    EXPECT_EQ(wrapLines("uno\r\ndos", 80), (std::vector<std::string>{"uno", "dos"}));
    EXPECT_EQ(wrapLines("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    EXPECT_EQ(wrapLines("uno\r\n", 80), (std::vector<std::string>{"uno"}));
    EXPECT_EQ(wrapLines("a\r\n\r\nb", 80), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(wrapLines("", 80).empty());
}

TEST(AlertLayoutTest, OneButtonShortMessage) {
    const AlertLayout a = layoutAlert("Hola", {"&Aceptar"}, kFont, kCaption, FixedMeasure());
    const int h = kFont + 3;
    EXPECT_EQ(a.lineHeight, h);
    EXPECT_EQ(a.textWidth, 4 * 6 + 10);
    EXPECT_EQ(a.buttonWidth, 7 * 6 + 40) << "the accelerator mark is not measured";
    // 70 + W + 50 = 154 against 50 + 92 + 50 - 20 = 172.
    EXPECT_EQ(a.innerWidth, 172);
    EXPECT_EQ(a.width, 180);
    const int textHeight = 13 + 15;
    EXPECT_EQ(a.innerHeight, 3 * h + textHeight + 4 + (h + 8));
    EXPECT_EQ(a.height, a.innerHeight + kCaption);
    EXPECT_EQ(a.text, (Rect{70, 2 * h, 70 + a.textWidth, 2 * h + textHeight}));
    ASSERT_EQ(a.buttons.size(), 1u);
    EXPECT_EQ(a.buttons[0].right, a.innerWidth - 10);
    EXPECT_EQ(a.buttons[0].top, a.innerHeight - h - (h + 8));
    EXPECT_EQ(a.buttons[0].height(), h + 8);
}

TEST(AlertLayoutTest, ButtonsRightAlignedInListOrderAndAtMostFive) {
    const AlertLayout a =
        layoutAlert("?", {"a", "bb", "c", "d", "e", "f"}, kFont, kCaption, FixedMeasure());
    ASSERT_EQ(a.buttons.size(), 5u);
    EXPECT_EQ(a.buttonWidth, 12 + 40) << "the widest caption";
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(a.buttons[i].left - a.buttons[i - 1].left, a.buttonWidth + 10);
    EXPECT_EQ(a.buttons[4].right, a.innerWidth - 10);
    EXPECT_EQ(a.innerWidth, 50 + (52 + 10) * 5 + 50 - 20);
}

TEST(AlertLayoutTest, LongLineIsMeasuredInPiecesSoTheBoxGrowsInHeight) {
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += "palabra ";
    const AlertLayout a = layoutAlert(longLine, {"Aceptar"}, kFont, kCaption, FixedMeasure());
    // The widest piece, wrapped at 79 characters, is 79 * 6 + 10 = 484: capped.
    EXPECT_EQ(a.textWidth, kMaxAlertTextWidth);
    EXPECT_EQ(a.innerWidth, 70 + 375 + 50);
    const AlertLayout shortBox =
        layoutAlert("palabra", {"Aceptar"}, kFont, kCaption, FixedMeasure());
    EXPECT_GE(a.height, shortBox.height + 5 * 13);
}

TEST(AlertLayoutTest, LinesBeyondTheCountAreNotMeasured) {
    // One line of 100 characters counts as one line at 254, so only the
    // first 79-character piece is measured.
    const std::string line(100, 'x');
    const AlertLayout a = layoutAlert(line, {"Ok"}, kFont, kCaption, FixedMeasure());
    EXPECT_EQ(a.textWidth, std::min(79 * 6 + 10, kMaxAlertTextWidth));
    const AlertLayout narrow = layoutAlert(std::string(30, 'x') + " " + std::string(60, 'y'),
                                           {"Ok"}, kFont, kCaption, FixedMeasure());
    EXPECT_EQ(narrow.textWidth, 30 * 6 + 10) << "only the first piece of the one line";
}

TEST(AlertLayoutTest, TouchListModeMakesTallerButtons) {
    const AlertLayout a = layoutAlert("x", {"Ok"}, kFont, kCaption, FixedMeasure(), true);
    EXPECT_EQ(a.lineHeight, kFont + 21);
    EXPECT_EQ(a.buttons[0].height(), kFont + 21 + 8);
}

}  // namespace
}  // namespace toolkit
