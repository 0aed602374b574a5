// Tests of the product hooks: the comparison of the report tree, the record
// copy between work areas, the by-name table and what the layers below see
// once the hooks are installed.
#include "updater/hooks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "os/fs.h"
#include "os/process.h"
#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/settings.h"
#include "startup/arranque.h"
#include "startup/product_hooks.h"
#include "startup/settings_record.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/maintenance.h"
#include "tables/rdd.h"
#include "tables/workarea.h"
#include "updater/area_folder_testutil.h"
#include "updater/recording_progress_testutil.h"
#include "updater/run_state.h"

namespace updater {
namespace {

using runtime::Value;

TEST(TiCompareTest, TextComparesUpperCasedAndTrimmed) {
    EXPECT_TRUE(TI_COMPARE(" ab ", "AB"));
    EXPECT_FALSE(TI_COMPARE("A", "AB")) << "exact, no prefix rule";
    EXPECT_FALSE(TI_COMPARE("AB", "A"));
    EXPECT_TRUE(TI_COMPARE("", "   "));
}

TEST(TiCompareTest, MixedTextAndNumbers) {
    EXPECT_TRUE(TI_COMPARE("12", Value(12)));  // STR(12) is 8 blanks and 12
    EXPECT_FALSE(TI_COMPARE("12", Value(12.5)));
    EXPECT_TRUE(TI_COMPARE(Value(12), "12abc"));  // VAL reads the leading digits
    EXPECT_TRUE(TI_COMPARE(Value(0), "abc"));
    EXPECT_FALSE(TI_COMPARE(Value(12), "13"));
    EXPECT_TRUE(TI_COMPARE(Value(1.5), Value(1.5)));
}

TEST(TiCompareTest, OtherTypesUseExactEquality) {
    runtime::Date d = runtime::makeDate(2020, 5, 1);
    EXPECT_TRUE(TI_COMPARE(Value(d), Value(d)));
    EXPECT_FALSE(TI_COMPARE(Value(d), Value(runtime::makeDate(2020, 5, 2))));
    EXPECT_TRUE(TI_COMPARE(Value(true), Value(true)));
    EXPECT_FALSE(TI_COMPARE(Value(true), Value(false)));
    EXPECT_FALSE(TI_COMPARE(Value(true), "T")) << "no order between the types";
    EXPECT_FALSE(TI_COMPARE(Value(12), Value(d)));
}

TEST(ProductHookTest, TicketNumberLength) {
    EXPECT_EQ(NLENNUMTICKETS(), 9);
    EXPECT_EQ(NLENNUMTICKETS(1), 9);
    EXPECT_EQ(NLENNUMTICKETS(2), 0);
}

TEST(ProductHookTest, HooksAreReachableByNameInAnyCase) {
    EXPECT_EQ(productHook("IndexExt").eval().text(), ".CDX");
    EXPECT_EQ(productHook("__product").eval().text(), "BALDRIMEX");
    EXPECT_EQ(productHook("APPMAINEXENAME").eval().text(), "BALDRIMW.EXE");
    EXPECT_TRUE(productHook("TI_COMPARE").eval({Value(" ab "), Value("AB")}).logical());
    EXPECT_EQ(productHook("NLENNUMTICKETS").eval().num(), 9);
    EXPECT_EQ(productHook("NLENNUMTICKETS").eval({Value(2)}).num(), 0);
    EXPECT_EQ(productHook("NLENNUMTICKETS").eval({Value(1.5)}).num(), 0);
    EXPECT_EQ(productHook("NLENNUMTICKETS").eval({Value(1e300)}).num(), 0);
    for (const char* name : {"AINDEXCHAIN", "DICTREINDEX", "KW_ACONFIG", "KW_USERCONFIG", "LSWLOGO",
                             "WL_AWLIST", "CCODEMPRESA", "CNOMEMPRESA", "_STPUPR", "PTS2EUROS"}) {
        runtime::Block hook = productHook(name);
        ASSERT_TRUE(hook) << name;
        EXPECT_TRUE(hook.eval({Value("x"), Value(true)}).isNil()) << name;
    }
    EXPECT_FALSE(productHook("MAIN"));
    EXPECT_FALSE(productHook(""));
}

TEST(ProductHookTest, InstalledHooksReachTheLayersBelow) {
    std::string savedDirectory = os::currentDirectory().value();
    startup::setProductHooks({});
    EXPECT_EQ(startup::productName(), "");
    installProductHooks();
    EXPECT_EQ(startup::productName(), "BALDRIMEX");
    EXPECT_EQ(startup::mainWindow(), nullptr) << "no progress dialog yet";
    {
        // A face without a window (the console) is no main window for the
        // toolkit, which would read it as a window object.
        RecordingProgress console;
        runState().dialog = &console;
        EXPECT_EQ(startup::mainWindow(), nullptr);
        runState().dialog = nullptr;
    }
    EXPECT_EQ(tables::indexExt(), ".CDX");
    startup::ARRANQUE();
    EXPECT_TRUE(*startup::LDEST_HTML());
    EXPECT_FALSE(*startup::LDEST_EXCEL());
    // ARRANQUE moved the current directory and set the process-wide state.
    (void)os::setCurrentDirectory(savedDirectory);
    runtime::resetSettings();
    startup::clearStartupRecord();
    startup::setProductHooks({});
}

// Two tables in a temporary folder, opened in two work areas.
class RecCopyTest : public testing::AreaFolderTest {
protected:
    RecCopyTest() : AreaFolderTest("hooks_reccopy") {}
    // Creates and opens a table with the given fields, appending one record.
    void openWith(const std::string& alias, const std::vector<tables::FieldInfo>& fields,
                  const std::vector<Value>& record) {
        std::string file = (dir_ / alias).string();
        ASSERT_TRUE(tables::DBCREATE(file, fields));
        tables::DBUSEAREA(true, std::nullopt, file, alias, false, false);
        ASSERT_FALSE(tables::NETERR());
        tables::DBAPPEND();
        for (size_t i = 0; i < record.size(); ++i)
            tables::FIELDPUT(static_cast<int>(i + 1), record[i]);
    }
};

const std::vector<tables::FieldInfo> kLayout = {
    {"CODIGO", 'C', 6, 0}, {"IMPORTE", 'N', 10, 2}, {"FECHA", 'D', 8, 0}, {"L340", 'L', 1, 0}};

TEST_F(RecCopyTest, SameLayoutGivesAnIdenticalRecord) {
    runtime::Date d = runtime::makeDate(2009, 11, 15);
    openWith("Origen", kLayout, {Value("A01"), Value(12.5), Value(d), Value(true)});
    openWith("Destino", kLayout, {});
    EXPECT_TRUE(RECCOPY("Origen"));
    EXPECT_EQ(tables::ALIAS(), "DESTINO") << "the selected area stays selected";
    EXPECT_EQ(tables::FIELDGET(1).text(), "A01   ");
    EXPECT_EQ(tables::FIELDGET(2).num(), 12.5);
    EXPECT_EQ(tables::FIELDGET(3).date(), d);
    EXPECT_TRUE(tables::FIELDGET(4).logical());
}

TEST_F(RecCopyTest, ExtraTargetFieldKeepsItsValue) {
    openWith("Origen", {kLayout[0], kLayout[1]}, {Value("B02"), Value(3)});
    openWith("Destino", kLayout, {Value("ZZZ"), Value(9), Value(runtime::Date{}), Value(true)});
    RECCOPY("Origen");
    EXPECT_EQ(tables::FIELDGET(1).text(), "B02   ");
    EXPECT_EQ(tables::FIELDGET(2).num(), 3);
    EXPECT_TRUE(tables::FIELDGET(4).logical());
}

}  // namespace
}  // namespace updater
