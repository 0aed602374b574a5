// The look-settings dialogs on a real display: "Colores" shows the user's
// settings and its sample browse; "Estilo de listas" writes the browse
// style into the settings; accepting "Colores" stores them in "ColorW",
// cancelling drops them.
#include <gtest/gtest.h>

#include "resources/look_dialogs_ids.h"
#include "toolkit/gui_testutil.h"
#include "toolkit/look_dialogs.h"
#include "toolkit/look_tables.h"
#include "toolkit/look_testutil.h"

namespace toolkit {
namespace {

class LookDialogsTest : public test::LookSettingsTest {
protected:
    LookDialogsTest() : LookSettingsTest("07") {}
    static void click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // In "Colores" (h): opens "Estilo de listas", picks a line style there,
    // accepts it, then closes "Colores" with the button closeWith.
    static void chooseStyleThenClose(HWND h, int styleButton, int closeWith) {
        test::whenWindowShows("Estilo de listas", [=](HWND style) {
            CheckRadioButton(style, IDC_CB_NOLINES, IDC_CB_SOLID, styleButton);
            click(style, IDOK);
            click(h, closeWith);
        });
        click(h, IDC_CL_CONFIGBRW);
    }
};

TEST_F(LookDialogsTest, StyleDialogWritesTheChosenStyleIntoTheSettings) {
    bool shown = false;
    test::whenWindowShows("Estilo de listas", [&](HWND h) {
        shown = true;
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_CB_SOLID), BST_CHECKED) << "line style 5 at first";
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_CB_ALTER), BST_CHECKED);
        EXPECT_EQ(GetDlgItemInt(h, IDC_CB_HLINE, nullptr, FALSE), 5u);
        test::saveScreenshot(h, "configbrw");
        CheckRadioButton(h, IDC_CB_NOLINES, IDC_CB_SOLID, IDC_CB_DOTTED);
        SetDlgItemInt(h, IDC_CB_HLINE, 99, FALSE);  // beyond 40
        CheckDlgButton(h, IDC_CB_ALTER, BST_UNCHECKED);
        click(h, IDOK);
    });
    EXPECT_TRUE(CONFIGBRW());
    EXPECT_TRUE(shown);
    EXPECT_EQ(NLINESTYLE(), 4);
    EXPECT_EQ(NHLINE(), 40) << "held to 0..40";
    EXPECT_FALSE(LALTERCLR());
}

TEST_F(LookDialogsTest, CancelledStyleChangesNothing) {
    test::whenWindowShows("Estilo de listas", [&](HWND h) {
        CheckRadioButton(h, IDC_CB_NOLINES, IDC_CB_SOLID, IDC_CB_NOLINES);
        click(h, IDCANCEL);
    });
    EXPECT_FALSE(CONFIGBRW());
    EXPECT_EQ(NLINESTYLE(), 5);
}

TEST_F(LookDialogsTest, AcceptedColoursAreStoredForTheUser) {
    bool shown = false;
    test::whenWindowShows("Colores", [&](HWND h) {
        shown = true;
        EXPECT_EQ(test::windowText(GetDlgItem(h, IDC_CL_ACTIVE_SAMPLE)), "Campo activo");
        const std::string sample = test::windowText(GetDlgItem(h, IDC_CL_FONT_SAMPLE));
        EXPECT_NE(sample.find(", "), std::string::npos) << sample;
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CL_FTITULO))) << "Fonts.dbf exists";
        // The desktop swatch shows the first-time desktop colour.
        const RECT r = test::rectIn(GetDlgItem(h, IDC_CL_DESKTOP_SWATCH), h);
        EXPECT_EQ(test::clientPixel(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2), 12632256u);
        test::saveScreenshot(h, "colores");
        chooseStyleThenClose(h, IDC_CB_DOTTED, IDOK);
    });
    EXPECT_TRUE(COLORES());
    EXPECT_TRUE(shown);
    clearLookSettings();
    EXPECT_TRUE(RESTAURAFONTS("07"));
    EXPECT_EQ(NLINESTYLE(), 4) << "read back from the table";
}

TEST_F(LookDialogsTest, CancelledColoursAreDroppedAgain) {
    test::whenWindowShows("Colores",
                          [&](HWND h) { chooseStyleThenClose(h, IDC_CB_NOLINES, IDCANCEL); });
    EXPECT_FALSE(COLORES());
    EXPECT_EQ(NLINESTYLE(), 5) << "the style went to the settings, the reload took it back";
}

TEST(UserFontTest, FontIsMadeFromTheStoredDescription) {
    clearLookSettings();
    EXPECT_EQ(OUSERFONT(), nullptr) << "nothing stored yet";
    EXPECT_EQ(OUSERFONT(UserFont{"Arial", -5, -14, true, false}, false), nullptr) << "only stored";
    const auto font = OUSERFONT();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->cFaceName, "Arial");
    EXPECT_EQ(font->nHeight, 14);
    EXPECT_EQ(font->nWidth, 5);
    EXPECT_TRUE(font->lBold);
    EXPECT_NE(font->hFont, nullptr);
    font->End();
    clearLookSettings();
}

TEST(FontSampleTest, SampleNamesFaceSizeAndStyle) {
    EXPECT_EQ(fontSampleText(UserFont{"Arial", 0, -16, true, true}, 96),
              "Arial, 12\n\rNegrita Cursiva");
    EXPECT_EQ(fontSampleText(UserFont{"Tahoma", 0, -13, false, false}, 96), "Tahoma, 10\n\r");
}

}  // namespace
}  // namespace toolkit
