// Tests of the start-up sequence and the start-up settings record.
#include "startup/arranque.h"

#include <gtest/gtest.h>

#include "os/fs.h"
#include "runtime/dates.h"
#include "runtime/settings.h"
#include "startup/current_directory.h"
#include "startup/file_names.h"
#include "startup/hand_cursor.h"
#include "startup/product_hooks.h"
#include "startup/settings_record.h"
#include "startup/startup_testutil.h"
#include "startup/working_date.h"

namespace startup {
namespace {

using runtime::Value;

TEST(StartPathTest, DefaultIsCurrentFolderWithoutDrive) {
    EXPECT_EQ(defaultStartPath(curDirOf("C:\\GESTION\\UPD")), "\\GESTION\\UPD\\");
    EXPECT_EQ(defaultStartPath(curDirOf("C:\\GESTION\\UPD\\")), "\\GESTION\\UPD\\");
    EXPECT_EQ(defaultStartPath(curDirOf("/home/ana/upd")), "\\home\\ana\\upd\\");
}

TEST(StartPathTest, RootOfADriveGivesDotBackslash) {
    EXPECT_EQ(defaultStartPath(curDirOf("C:\\")), ".\\");
    EXPECT_EQ(defaultStartPath(curDirOf("/")), ".\\");
}

TEST(StartPathTest, OnlyADoubledTrailingBackslashIsCut) {
    EXPECT_EQ(normaliseStartPath("C:\\DATOS\\\\"), "C:\\DATOS\\");
    EXPECT_EQ(normaliseStartPath("C:\\DATOS\\"), "C:\\DATOS\\");
    EXPECT_EQ(normaliseStartPath("C:\\DATOS"), "C:\\DATOS");
    EXPECT_EQ(normaliseStartPath(" C:\\DATOS\\\\"), " C:\\DATOS\\") << "leading blanks kept";
    EXPECT_EQ(normaliseStartPath("\\\\"), "\\");
    EXPECT_EQ(normaliseStartPath(""), "");
}

using ArranqueTest = StartupStateTest;

TEST_F(ArranqueTest, RecordIsEmptyUntilStartUp) {
    EXPECT_FALSE(CPATHSTART());
    EXPECT_FALSE(LNETWORK());
    EXPECT_FALSE(LDEST_PANTALLA());
    EXPECT_TRUE(AMENUMODE(1, "X").isNil());
    EXPECT_TRUE(OHAND().isNil());
    EXPECT_FALSE(DSETDATE());
}

TEST_F(ArranqueTest, StartPathFromCurrentFolderThenMovesToProgramFolder) {
    std::filesystem::path dir = makeTempFolder("Gestion Upd");
    ASSERT_TRUE(os::setCurrentDirectory(dir.string()).ok());
    std::string started = os::currentDirectory().value();

    EXPECT_FALSE(ARRANQUE());

    EXPECT_EQ(*CPATHSTART(), "\\" + curDirOf(started) + "\\");
    EXPECT_NE(CPATHSTART()->find("Gestion Upd\\"), std::string::npos);
    EXPECT_TRUE(CFILEDISC(*CPATHSTART()).empty());
    std::string programFolder = CFILEPATH(os::programFileName().value());
    EXPECT_TRUE(sameFolder(os::currentDirectory().value(), programFolder))
        << os::currentDirectory().value() << " vs " << programFolder;
    EXPECT_EQ(*CPATHEXE(), "");
    EXPECT_EQ(*CPATHINFORME(), "");
    EXPECT_EQ(*CPATHDBFDELEGACION(), "");
}

TEST_F(ArranqueTest, FromTheRootTheStartPathIsDotBackslash) {
    std::string root = std::filesystem::temp_directory_path().root_path().string();
    ASSERT_TRUE(os::setCurrentDirectory(root).ok());
    ARRANQUE();
    EXPECT_EQ(*CPATHSTART(), ".\\");
}

TEST_F(ArranqueTest, GivenPathIsNormalised) {
    ARRANQUE("C:\\DATOS\\\\");
    EXPECT_EQ(*CPATHSTART(), "C:\\DATOS\\");
    ARRANQUE("C:\\DATOS");
    EXPECT_EQ(*CPATHSTART(), "C:\\DATOS");
}

TEST_F(ArranqueTest, RuntimeSettingsForTheWholeRun) {
    runtime::SET(runtime::Set::Epoch, Value(1950));  // what the entry routine sets first
    ARRANQUE();
    using runtime::Set;
    EXPECT_EQ(runtime::epochYear(), 1920);
    EXPECT_EQ(runtime::dateFormat(), "dd-mm-yy");
    EXPECT_TRUE(runtime::isDeleted());
    EXPECT_TRUE(runtime::isExclusive());
    EXPECT_FALSE(runtime::SET(Set::Confirm).logical());
    EXPECT_TRUE(runtime::SET(Set::Escape).logical());
    EXPECT_TRUE(runtime::SET(Set::Intensity).logical());
    EXPECT_FALSE(runtime::SET(Set::Scoreboard).logical());
    EXPECT_TRUE(runtime::SET(Set::Wrap).logical());
    // Dates read and written the way the run relies on.
    EXPECT_EQ(runtime::DTOC(runtime::makeDate(2019, 2, 1)), "01-02-19");
    EXPECT_EQ(runtime::CTOD("01-02-19"), runtime::makeDate(2019, 2, 1));
    EXPECT_EQ(runtime::CTOD("01-02-20"), runtime::makeDate(1920, 2, 1));
    EXPECT_EQ(DSETDATE(), runtime::DATE());
}

TEST_F(ArranqueTest, CenturyOnKeepsFourDigitYears) {
    runtime::SETCENTURY(true);
    ARRANQUE();
    EXPECT_EQ(runtime::dateFormat(), "dd-mm-yyyy");
}

TEST_F(ArranqueTest, HandleBudgetIsWhatThePlatformGranted) {
    ARRANQUE();
    EXPECT_GT(NHANDLERS(), 0);
    EXPECT_LE(NHANDLERS(), kHandleAllowance);
    EXPECT_EQ(NHANDLERS(), SETHANDLECOUNT(NHANDLERS()));
}

TEST_F(ArranqueTest, DestinationsFollowTheNetworkFlagOnlyAtStartUp) {
    setProductHooks({[] { return std::string("BALDRIMEX"); }, nullptr});
    ARRANQUE();
    EXPECT_TRUE(*LDEST_PANTALLA() && *LDEST_IMPRESORA() && *LDEST_FICHERO() && *LDEST_HTML());
    EXPECT_FALSE(*LDEST_EXCEL());
    EXPECT_FALSE(*LBASICA());

    LZENTA(true);
    EXPECT_TRUE(*LNETWORK());
    EXPECT_FALSE(*LDEST_EXCEL()) << "not recomputed by the accessor";
    LNETWORK(false);
    EXPECT_FALSE(*LZENTA());

    ARRANQUE(std::nullopt, true, true);
    EXPECT_TRUE(*LDEST_EXCEL());
    EXPECT_TRUE(*LBASICA());
}

TEST_F(ArranqueTest, MenuModeStoresOnlyEntriesOneToThreeWithAValue) {
    ARRANQUE();
    Value list = AMENUMODE();
    ASSERT_TRUE(list.isArray());
    ASSERT_EQ(list.array()->size(), 3u);
    for (const Value& entry : *list.array()) EXPECT_TRUE(entry.isNil());

    EXPECT_EQ(AMENUMODE(4, "X").array(), list.array()) << "the shared list, not a copy";
    EXPECT_EQ(AMENUMODE(2, "   ").array()->at(1).isNil(), true);
    EXPECT_TRUE(AMENUMODE(0, "X").array()->at(0).isNil());
    AMENUMODE(2, "B");
    EXPECT_EQ(list.array()->at(1).text(), "B");
    EXPECT_TRUE(list.array()->at(0).isNil());
    EXPECT_TRUE(list.array()->at(2).isNil());
}

TEST_F(ArranqueTest, HandCursorGoesOnlyToButtons) {
    ARRANQUE();
    Value hand = OHAND();
    ASSERT_TRUE(hand.isObject());
    EXPECT_EQ(hand.object()->className(), "TCURSOR");
    EXPECT_EQ(hand.object()->get("hCursor").num(), 0) << "no cursor resource HAND";

    runtime::ObjectPtr button = runtime::makeObject("TBUTTON");
    runtime::ObjectPtr bitmapButton = runtime::makeObject("TBtnBmp");
    runtime::ObjectPtr label = runtime::makeObject("TSAY");
    Value controls = Value::newArray({Value(button), Value(label), Value(42), Value(bitmapButton)});
    EXPECT_TRUE(OCURSORHAND(controls));
    EXPECT_EQ(button->get("oCursor").object(), hand.object());
    EXPECT_EQ(bitmapButton->get("oCursor").object(), hand.object());
    EXPECT_FALSE(label->has("oCursor"));

    EXPECT_TRUE(OCURSORHAND(Value(button), true));
    EXPECT_TRUE(button->get("oCursor").isNil());
    EXPECT_TRUE(OCURSORHAND(Value("not a control")));
}

TEST_F(ArranqueTest, HandCursorComesFromTheInstalledLoader) {
    std::string asked;
    setCursorLoader([&](std::string_view name) {
        asked = name;
        return intptr_t{0x1234};
    });
    ARRANQUE();
    EXPECT_EQ(asked, "HAND");
    EXPECT_EQ(OHAND().object()->get("hCursor").num(), 0x1234);
    EXPECT_FALSE(OHAND().object()->get("lPredef").logical());
}

}  // namespace
}  // namespace startup
