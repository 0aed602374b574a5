// The handler beside the real table layer: a missing table is a silent open
// failure, and open work areas appear in the log's work-area section.
#include <gtest/gtest.h>

#include "errors/error_handler.h"
#include "errors/handler_testutil.h"
#include "errors/work_area_facts.h"
#include "runtime/neterr.h"
#include "runtime/settings.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"

namespace errors {
namespace {

class TableErrorsTest : public HandlerTest {
protected:
    void SetUp() override {
        HandlerTest::SetUp();
        setEngineErrorSource({});  // the table layer's own last error
        setTableFactsLister({});   // the table layer's own work areas
        runtime::SET(runtime::Set::Exclusive, runtime::Value(true));
        tables::DBCLOSEALL();
        tables::resetRddRegistry();
        tables::RDDREGISTER("ADS", tables::kRddTable);
        tables::RDDSETDEFAULT("ADS");
        tables::ADSSETFILETYPE(tables::kAdsCdx);
    }
    void TearDown() override {
        tables::DBCLOSEALL();
        tables::resetRddRegistry();
        runtime::resetSettings();
        HandlerTest::TearDown();
    }
};

TEST_F(TableErrorsTest, MissingTableOpensSilently) {
    tables::DBUSEAREA(true, std::nullopt, (folder() / "NOSUCH").string(), "NOSUCH");
    EXPECT_TRUE(runtime::NETERR());
    EXPECT_EQ(runtime::NERRORCODE(), 2);
    EXPECT_FALSE(tables::USED());
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(dialog_->shown().empty());
}

TEST_F(TableErrorsTest, OpenAreasAreListedWithDriverPositionsAndOrders) {
    const std::string file = (folder() / "EMPRESAS").string();
    ASSERT_TRUE(tables::DBCREATE(file, {{"CODIGO", 'C', 3, 0}, {"NOMBRE", 'C', 20, 0}}));
    tables::DBUSEAREA(true, std::nullopt, file, "EMP");
    ASSERT_TRUE(tables::USED());
    for (const char* code : {"002", "001"}) {
        tables::DBAPPEND();
        tables::FIELDPUT(1, runtime::Value(code));
    }
    tables::ORDCREATE("", "CODIGO", "CODIGO");
    tables::ORDCREATE("", "NOMBRE", "UPPER(NOMBRE)");
    tables::DBSETORDER(runtime::Value(1));
    tables::DBGOTOP();

    raise(errorFields(runtime::gen::kDataType, 1020, "ADSCDX"));
    const std::string log = readLog();
    const std::string section =
        "\r\nRDDs Enlazados\r\n==============\r\n DBF\r\n DBFNTX\r\n ADS\r\n"
        "\r\nBases de datos en uso\r\n=====================\r\n"
        "\r\n  1: => EMP            " +
        std::string(20, ' ') +
        "RddName: ADSCDX\r\n"
        " ==============================\r\n"
        " RecNo RecCount BOF EOF\r\n"
        "     2     2 .f. .f.\r\n"
        "\r\n Indices en uso " +
        std::string(23, ' ') +
        "TagName\r\n"
        "        => CODIGO" +
        std::string(29, ' ') +
        "CODIGO\r\n"
        "         UPPER(NOMBRE)" +
        std::string(22, ' ') +
        "NOMBRE\r\n"
        "\r\n Relaciones en uso\r\n"
        "\r\nClases en uso :\r\n";
    EXPECT_NE(log.find(section), std::string::npos) << log;
}

TEST_F(TableErrorsTest, RelationsAreListedUnderTheirParentWhileTheChildIsOpen) {
    const std::string parent = (folder() / "EMPRESAS").string();
    const std::string child = (folder() / "DIARIO").string();
    const std::string other = (folder() / "OTRO").string();
    for (const std::string& file : {parent, child, other})
        ASSERT_TRUE(tables::DBCREATE(file, {{"CODIGO", 'C', 3, 0}}));
    tables::DBUSEAREA(true, std::nullopt, child, "DIARIO");
    tables::DBUSEAREA(true, std::nullopt, other, "OTRO");
    tables::DBUSEAREA(true, std::nullopt, parent, "EMP");
    runtime::Block key([](std::span<const runtime::Value>) { return runtime::Value(1); });
    tables::DBSETRELATION(runtime::Value("DIARIO"), key, "RECNO()");
    tables::DBSETRELATION(runtime::Value("OTRO"), key, "CODIGO");
    tables::inAlias("OTRO", [] { tables::DBCLOSEAREA(); });

    raise(errorFields(runtime::gen::kDataType, 1020, "ADSCDX"));
    const std::string log = readLog();
    EXPECT_NE(log.find(" Relaciones en uso\r\n        1: TO RECNO() INTO DIARIO\r\n\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("INTO OTRO"), std::string::npos);
}

}  // namespace
}  // namespace errors
