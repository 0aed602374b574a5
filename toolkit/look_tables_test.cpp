// "ColorW" and "Fonts" on disk: a fresh installation, the first-time
// record, values saved and read back, list fonts, a record locked by
// another process, and deleting a user's record.
#include "toolkit/look_tables.h"

#include <gtest/gtest.h>

#include "os/fs.h"
#include "startup/settings_record.h"
#include "tables/dbcmd.h"
#include "tables/tables_testutil.h"
#include "tables/workarea.h"
#include "toolkit/look_testutil.h"

namespace toolkit {
namespace {

using runtime::Value;

class LookTablesTest : public test::LookSettingsTest {
protected:
    // The user's record as it is on disk (opened afresh).
    LookValues onDisk(const std::string& user) {
        clearLookSettings();
        EXPECT_TRUE(RESTAURAFONTS(user));
        return currentLookValues();
    }
    uint32_t colorWRecords() {
        tables::DBUSEAREA(true, std::nullopt, colorWFile(), "CHECK", true, true);
        const uint32_t n = tables::RECCOUNT();
        tables::DBCLOSEAREA();
        return n;
    }
};

TEST_F(LookTablesTest, FreshInstallationGetsTablesAndTheFirstTimeRecord) {
    tables::DBUSEAREA(true, std::nullopt, path("OTHER"), "OTHER");  // fails quietly: no table
    const int before = tables::SELECT();
    EXPECT_TRUE(CARGACOLORES());
    EXPECT_EQ(tables::SELECT(), before) << "the previous area is current again";
    EXPECT_TRUE(os::fileExists(colorWFile() + ".dbf"));
    EXPECT_TRUE(os::fileExists(fontsFile() + ".dbf"));
    EXPECT_EQ(colorWRecords(), 1u);
    // The record's values now answer, including those unlike the defaults.
    EXPECT_EQ(NCLRPANE(), 16777215u) << "a first-time record has a white browse background";
    EXPECT_EQ(NXCLRLINE(), 6842472u);
    EXPECT_EQ(*NCLRDESKTOP(), 12632256u);
    EXPECT_EQ(*NFONTTITULO(), 1);
    EXPECT_EQ(NLINESTYLE(), 5);
    EXPECT_FALSE(LCLASSIC());
    ASSERT_TRUE(userFontDescription());
    EXPECT_LE(userFontDescription()->nHeight, 0) << "sizes are stored negative";
    EXPECT_TRUE(CARGACOLORES());
    EXPECT_EQ(colorWRecords(), 1u) << "a known user gets no second record";
}

TEST_F(LookTablesTest, SavedValuesAreReadBack) {
    CARGACOLORES();
    LookValues v = currentLookValues();
    v.lineStyle = 4;
    v.clrPRow2 = 0x00AA00;
    v.hLine = 12;
    v.alterClr = false;
    v.font = UserFont{"Courier New", -7, -15, true, true};
    v.desktop = 0x112233;
    ASSERT_TRUE(SAVECOLORS(v));
    const LookValues back = onDisk("01");
    EXPECT_EQ(back.lineStyle, 4);
    EXPECT_EQ(back.clrPRow2, 0x00AA00u);
    EXPECT_EQ(back.hLine, 12);
    EXPECT_FALSE(back.alterClr);
    EXPECT_EQ(back.font, (UserFont{"Courier New", -7, -15, true, true}));
    EXPECT_EQ(back.desktop, 0x112233u);
    EXPECT_FALSE(SAVECOLORS(v, false, "99")) << "a user without a record: nothing happens";
    EXPECT_EQ(colorWRecords(), 1u);
}

TEST_F(LookTablesTest, ListFontColourGetsARowOfItsOwnInFonts) {
    CARGACOLORES();
    tables::DBUSEAREA(true, std::nullopt, fontsFile(), "FNT", false, false);
    tables::DBAPPEND();
    tables::fieldAssign("NFONT", Value(1));
    tables::fieldAssign("CFACENAME", Value("Arial"));
    tables::fieldAssign("NCOLOR", Value(0));
    tables::DBCLOSEAREA();

    LookValues v = currentLookValues();
    v.titulo = 1;
    v.clrTitulo = 255;  // red titles: Arial in red is not there yet
    v.linea = 1;
    v.clrLinea = 0;  // the row that exists
    v.total = 7;     // a font number "Fonts" does not hold
    ASSERT_TRUE(SAVECOLORS(v));
    const LookValues back = onDisk("01");
    EXPECT_EQ(back.titulo, 2) << "the next font number";
    EXPECT_EQ(back.clrTitulo, 255u);
    EXPECT_EQ(back.linea, 1);
    EXPECT_EQ(back.total, 7) << "left unchanged";
    EXPECT_EQ(back.clrTotal, 0u);
}

TEST_F(LookTablesTest, SavingWhileAnotherProcessHoldsTheRecordWritesNothing) {
    CARGACOLORES();
    const std::string before = tables::testing::fileBytes(colorWFile() + ".dbf");
    LookValues v = currentLookValues();
    v.lineStyle = 4;
    {
        tables::testing::HeldTable held(colorWFile(), "lock", 1, dir_.string(),
                                        tables::testing::tablesTestProgram());
        ASSERT_TRUE(held.ready()) << "the second process could not lock the record";
        EXPECT_FALSE(SAVECOLORS(v));
        EXPECT_FALSE(DELCOLORES());
    }
    EXPECT_EQ(tables::testing::fileBytes(colorWFile() + ".dbf"), before);
    ASSERT_FALSE(alerts_.shown.empty()) << "the user is told the record is locked";
    EXPECT_NE(alerts_.shown.back().message.find("bloqueado"), std::string::npos);
    EXPECT_EQ(onDisk("01").lineStyle, 5);
}

TEST_F(LookTablesTest, DeletedUserGetsAFreshRecordNextTime) {
    CARGACOLORES();
    LookValues v = currentLookValues();
    v.lineStyle = 4;
    SAVECOLORS(v);
    EXPECT_TRUE(DELCOLORES());
    clearLookSettings();
    EXPECT_FALSE(RESTAURAFONTS()) << "no record to load";
    EXPECT_EQ(NLINESTYLE(), 5);
    CARGACOLORES();
    EXPECT_EQ(colorWRecords(), 2u) << "the deleted record stays until a pack";
    EXPECT_EQ(NLINESTYLE(), 5);
    EXPECT_EQ(NCLRPANE(), 16777215u);
}

TEST_F(LookTablesTest, RestoreKeepsTheBrowsePartInTheClassicLook) {
    LookValues v = firstTimeValues();
    v.lineStyle = 4;
    v.titulo = 3;
    v.classLook = true;
    restoreDefaultValues(v);
    EXPECT_EQ(v.titulo, 1);
    EXPECT_EQ(v.lineStyle, 4);
    v.classLook = false;
    restoreDefaultValues(v);
    EXPECT_EQ(v.lineStyle, 5);
    EXPECT_EQ(v.clrPane, 15396845u) << "the restore takes the accessor's default, not white";
}

}  // namespace
}  // namespace toolkit
