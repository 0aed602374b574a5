// The error log's layout with fixed facts, and the texts it is built from:
// ERRORMESSAGE, CGETINFO, INFOVERSION.
#include "errors/error_report.h"

#include <gtest/gtest.h>

#include "errors/error_message.h"
#include "errors/handler_testutil.h"
#include "errors/info_version.h"
#include "errors/value_text.h"
#include "runtime/dates.h"
#include "runtime/error.h"
#include "runtime/settings.h"

namespace errors {
namespace {

using runtime::Value;

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

ReportFacts knownFacts() {
    ReportFacts f;
    f.exePath = "C:\\NV\\ACTUA.EXE";
    f.exeSizeBytes = 1234567;
    f.exeDate = "07-12-26";
    f.today = "08-12-26";
    f.timeOfDay = "09:15:02";
    f.versionSection = joinLines({"", "Informaci\xF3n sobre la versi\xF3n.",
                                  "=============================", " Version: 6.1", ""});
    f.description = "Error ADSCDX/1001 Open error: X.DBF";
    f.args = Value::newArray({Value("ABC"), Value(5), Value(true)});
    f.frames = {{"COPIAEMP  ", 120, {Value("001")}, {Value(5), Value()}}, {"ACTUA", 40, {}, {}}};
    f.cpuName = "Pentium IV";
    f.physicalMemoryBytes = 1073741056;
    f.os = {5, 1, 2600, 2, "Service Pack 3"};
    f.tasks = {"Actualizacion"};
    WorkAreaFacts area;
    area.area = 1;
    area.current = true;
    area.alias = "EMPRESAS";
    area.rddName = "ADSCDX";
    area.recNo = 3;
    area.recCount = 12;
    area.orders = {
        {"CODIGO", "CODIGO", true}, {"", "HUECO", false}, {"UPPER(NOMBRE)", "NOMBRE", false}};
    area.relations = {{1, "CODIGO", "DIARIO"}, {2, "X", ""}};
    f.tables = {{"DBF", "DBFNTX", "ADS"}, {area}};
    f.staticCount = 10;
    f.memory = {5242880, 6291456};
    return f;
}

TEST(ErrorReportTest, WholeFileForKnownFacts) {
    const std::string pad35 = std::string(35 - 6, ' ');
    const std::string expected =
        joinLines({
            "Aplicacion",
            "==========",
            " Ruta y Nombre: C:\\NV\\ACTUA.EXE",
            " Tama\xF1o: 1,234,567 bytes Fecha : 07-12-26",
            "   Maximo n\xBA manejadores de ficheros: ( SetHandleCount() )  0",
            " Error ocurrido el: 08-12-26, 09:15:02",
            "",
            "Informaci\xF3n sobre la versi\xF3n.",
            "=============================",
            " Version: 6.1",
            "",
            " Descripci\xF3n del error: Error ADSCDX/1001 Open error: X.DBF",
            " Args:",
            " [   1] = C ABC",
            " [   2] = N 5",
            " [   3] = L .t.",
            "",
            "Secuencia de llamadas",
            "=====================",
            " Llamado desde COPIAEMP(120)",
            " Llamado desde ACTUA(40)",
            "",
            "Sistema",
            "=======",
            " Tipo de CPU: Pentium IV",
            " Memoria Hardware : 1073741824 (1024 megas)",
            "",
            " Recursos sistema libres: % ",
            " Recursos GDI : % ",
            " Recursos usuario : % ",
            "",
            " Versiones Windows y MsDos:  5. 1, **. 2",
            " Total aplicaciones Windows activas:   0",
            "   1 Actualizacion",
            "",
            "Variables en uso",
            "================",
            " Procedimiento Tipo Valor",
            " ==========================",
            " COPIAEMP",
            " Param   1: C \"001\"",
            " Local   1: N 5",
            " Local   2: U ",
            " ACTUA",
            "",
            "RDDs Enlazados",
            "==============",
            " DBF",
            " DBFNTX",
            " ADS",
            "",
            "Bases de datos en uso",
            "=====================",
            "",
            "  1: => EMPRESAS       " + std::string(20, ' ') + "RddName: ADSCDX",
            " ==============================",
            " RecNo RecCount BOF EOF",
            "     3    12 .f. .f.",
            "",
            " Indices en uso " + std::string(23, ' ') + "TagName",
            "        => CODIGO" + pad35 + "CODIGO",
            "         UPPER(NOMBRE)" + std::string(35 - 13, ' ') + "NOMBRE",
            "",
            " Relaciones en uso",
            "        1: TO CODIGO INTO DIARIO",
            "",
            "Clases en uso :",
            "===============",
            "",
            "An\xE1lisis de memoria",
            "===================",
            " Consumo de memoria est\xE1tica ",
            " Segmento DATOS : 64k",
            " Tama\xF1o Inicial: 0 bytes (SYMP=0, Stack=0, Heap=0)",
            " Stack : 65395 bytes",
            " 10 Variables est\xE1ticas: 140 bytes",
            "",
            " Consumo de Memorica Din\xE1mica :",
            " Valor Actual :    5242880 bytes",
            " Valor m\xE1ximo :    6291456 bytes",
        }) +
        "\x1A";
    EXPECT_EQ(reportFile(knownFacts()), expected);
}

TEST(ErrorReportTest, WithoutArgsTablesOrTasksOnlyHeadingsRemain) {
    ReportFacts f = knownFacts();
    f.args = Value(0);  // Args holds 0 when the operation had no arguments
    f.tables = {};
    f.tasks = {};
    const std::string head = reportHead(f);
    EXPECT_EQ(head.find(" Args:"), std::string::npos);
    EXPECT_NE(head.find("X.DBF\r\n\r\nSecuencia de llamadas\r\n"), std::string::npos);
    EXPECT_TRUE(head.ends_with(" Total aplicaciones Windows activas:   0\r\n"));
    const std::string tail = reportTail(f);
    EXPECT_NE(tail.find("=====================\r\n\r\nClases en uso :\r\n"), std::string::npos);
    EXPECT_NE(tail.find("RDDs Enlazados\r\n==============\r\n\r\nBases de datos"),
              std::string::npos);
}

TEST(ErrorReportTest, NumbersTooWideForTheirFieldsPrintAsAsterisks) {
    EXPECT_EQ(inPlaces(7, 3), "  7");
    EXPECT_EQ(inPlaces(1000, 3), "***");
    ReportFacts f = knownFacts();
    f.exeSizeBytes = 12345678;
    f.tables.areas[0].recNo = 123456;
    const std::string text = reportFile(f);
    EXPECT_NE(text.find(" Tama\xF1o: *,***,*** bytes Fecha"), std::string::npos);
    EXPECT_NE(text.find("\r\n *****    12 .f. .f.\r\n"), std::string::npos);
    f.exeSizeBytes = 42;
    EXPECT_NE(reportFile(f).find(" Tama\xF1o:        42 bytes"), std::string::npos);
}

TEST(ErrorMessageTest, BuildsFromTheErrorFields) {
    auto open =
        runtime::makeError(errorFields(runtime::gen::kOpen, 1001, "ADSCDX", "C:\\D\\DIARIO.DBF"));
    EXPECT_EQ(ERRORMESSAGE(open), "Error ADSCDX/1001 Open error: C:\\D\\DIARIO.DBF");
    open->set("OsCode", 32);
    EXPECT_EQ(ERRORMESSAGE(open), "(Error DOS 32) ADSCDX/1001 Open error: C:\\D\\DIARIO.DBF");

    runtime::ErrorFields lowMemory = errorFields(0, 5300, "BASE");
    lowMemory.severity = 1;
    lowMemory.description = "Memory Low";
    auto warning = runtime::makeError(lowMemory);
    EXPECT_EQ(ERRORMESSAGE(warning), "Atenci\xF3n BASE/5300 Memory Low");

    auto bare = runtime::ERRORNEW();
    bare->set("SubSystem", Value());
    bare->set("SubCode", "x");
    bare->set("Description", Value());
    bare->set("Operation", "DBUSEAREA");
    EXPECT_EQ(ERRORMESSAGE(bare),
              "Atenci\xF3n ???"
              "/???: DBUSEAREA");
    bare->set("FileName", "   ");  // a blank file name counts as none
    EXPECT_EQ(ERRORMESSAGE(bare),
              "Atenci\xF3n ???"
              "/???: DBUSEAREA");
}

TEST(ValueTextTest, PrintableFormsOfEveryType) {
    runtime::SET(runtime::Set::DateFormat, Value("dd-mm-yy"));
    const Value date(runtime::makeDate(2026, 12, 7));
    EXPECT_EQ(asText(date), "07-12-26");
    EXPECT_EQ(asText(Value(false)), ".f.");
    EXPECT_EQ(asText(Value(-12)), "-12");
    EXPECT_EQ(asText(Value()), "");
    EXPECT_EQ(asText(Value(runtime::Block([](auto) { return Value(); }))), "{|| ... }");

    EXPECT_EQ(CGETINFO(Value("abc")), "\"abc\"");
    EXPECT_EQ(CGETINFO(Value::memo("m")), "\"m\"");
    EXPECT_EQ(CGETINFO(Value(runtime::makeObject("TDIALOG"))), "Clase: TDIALOG");
    EXPECT_EQ(CGETINFO(Value::newArray({Value(1), Value(2)})), "Longitud:    2");
    EXPECT_EQ(CGETINFO(date), "07-12-26");
    EXPECT_EQ(CGETINFO(Value(true)), ".t.");
    runtime::resetSettings();
}

TEST(InfoVersionTest, EntriesCapitalisedAndNonListCountsAsEmpty) {
    const std::string empty =
        "\r\nInformaci\xF3n sobre la versi\xF3n.\r\n=============================\r\n\r\n";
    AKWVERSION(Value());
    EXPECT_EQ(INFOVERSION(), empty);
    AKWVERSION(Value::newArray({Value::newArray({Value("vERSI\xD3N"), Value(7)}),
                                Value::newArray({Value("fecha"), Value("2026")})}));
    EXPECT_EQ(INFOVERSION(),
              "\r\nInformaci\xF3n sobre la versi\xF3n.\r\n=============================\r\n"
              " Versi\xD3n: 7\r\n Fecha: 2026\r\n\r\n");
    AKWVERSION(Value());
}

}  // namespace
}  // namespace errors
