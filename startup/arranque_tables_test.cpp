// Tests of what the start-up settings mean for tables: opens are exclusive
// by default and deleted records are invisible to navigation.
#include <gtest/gtest.h>

#include "startup/arranque.h"
#include "startup/startup_testutil.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"

namespace startup {
namespace {

using ArranqueTablesTest = StartupStateTest;

TEST_F(ArranqueTablesTest, OpensAreExclusiveAndDeletedRecordsAreSkipped) {
    std::string file = (makeTempFolder("tables") / "Empresa").string();
    tables::RDDREGISTER("ADS", tables::kRddTable);
    tables::RDDSETDEFAULT("ADS");
    ARRANQUE();
    ASSERT_TRUE(tables::DBCREATE(file, {{"CODEMP", 'C', 3, 0}}));
    tables::DBUSEAREA(true, std::nullopt, file, "Empresa");
    ASSERT_TRUE(tables::USED());
    EXPECT_FALSE(tables::currentTable()->shared());
    for (const char* code : {"001", "002", "003", "004"}) {
        tables::DBAPPEND();
        tables::FIELDPUT(1, runtime::Value(code));
    }
    tables::DBGOTO(1);
    tables::DBDELETE();
    tables::DBGOTO(3);
    tables::DBDELETE();

    tables::DBGOTOP();
    EXPECT_EQ(tables::RECNO(), 2u);
    tables::DBSKIP();
    EXPECT_EQ(tables::RECNO(), 4u);
    tables::DBSKIP();
    EXPECT_TRUE(tables::EOF_());
    EXPECT_EQ(tables::RECCOUNT(), 4u);
    tables::DBCLOSEALL();
}

}  // namespace
}  // namespace startup
