// The whole log written by the live handler, with the lines that depend on
// the clock and the machine masked; and the toolkit's errors reaching it.
#include "errors/report_facts.h"

#include <sstream>

#include "errors/error_handler.h"
#include "errors/gen_error.h"
#include "errors/handler_testutil.h"
#include "errors/info_version.h"
#include "errors/work_area_facts.h"
#include "os/fs.h"
#include "runtime/frames.h"

namespace errors {
namespace {

using runtime::Value;

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));  // what follows the last CR LF
    return lines;
}

// An expected line: exact, or (ending in '*') a prefix whose rest depends on
// the clock or the machine.
void expectLines(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const std::string& want = expected[i];
        if (!want.empty() && want.back() == '*')
            EXPECT_TRUE(actual[i].starts_with(want.substr(0, want.size() - 1)))
                << "line " << i + 1 << ": " << actual[i];
        else
            EXPECT_EQ(actual[i], want) << "line " << i + 1;
    }
}

void routineThatFails() {
    const Value code("001");
    runtime::Frame frame("TABLAS", 212);
    frame.param("cCodEmp", code).localValue("nRec", Value(4));
    runtime::ErrorFields def = errorFields(runtime::gen::kOpen, 6420, "ADSCDX", "TDIANEW.DBF");
    def.args = runtime::Array{Value("x"), Value(5)};
    runtime::launchError(runtime::makeError(def));
}

TEST_F(HandlerTest, LiveLogMatchesTheLayoutLineByLine) {
    AKWVERSION(Value::newArray({Value::newArray({Value("VERSION"), Value("7.0")})}));
    setTableFactsLister([] {
        TableFacts t;
        t.fullDrivers = {"DBF", "DBFNTX", "ADS"};
        return t;
    });
    {
        runtime::Frame outer("ACTUA", 35);
        routineThatFails();
    }
    AKWVERSION(Value());
    const std::string program = os::programFileName().value();
    expectLines(splitLines(readLog()),
                {
                    "Aplicacion",
                    "==========",
                    " Ruta y Nombre: " + program,
                    " Tama\xF1o: *",
                    "   Maximo n\xBA manejadores de ficheros: ( SetHandleCount() )  0",
                    " Error ocurrido el: *",
                    "",
                    "Informaci\xF3n sobre la versi\xF3n.",
                    "=============================",
                    " Version: 7.0",
                    "",
                    " Descripci\xF3n del error: Error ADSCDX/6420 Open error: TDIANEW.DBF",
                    " Args:",
                    " [   1] = C x",
                    " [   2] = N 5",
                    "",
                    "Secuencia de llamadas",
                    "=====================",
                    " Llamado desde TABLAS(212)",
                    " Llamado desde ACTUA(35)",
                    "",
                    "Sistema",
                    "=======",
                    " Tipo de CPU: *",
                    " Memoria Hardware : *",
                    "",
                    " Recursos sistema libres: % ",
                    " Recursos GDI : % ",
                    " Recursos usuario : % ",
                    "",
                    " Versiones Windows y MsDos: *",
                    " Total aplicaciones Windows activas:   0",
                    "",
                    "Variables en uso",
                    "================",
                    " Procedimiento Tipo Valor",
                    " ==========================",
                    " TABLAS",
                    " Param   1: C \"001\"",
                    " Local   1: N 4",
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
                    "Clases en uso :",
                    "===============",
                    "",
                    "An\xE1lisis de memoria",
                    "===================",
                    " Consumo de memoria est\xE1tica ",
                    " Segmento DATOS : 64k",
                    " Tama\xF1o Inicial: 0 bytes (SYMP=0, Stack=0, Heap=0)",
                    " Stack : 65535 bytes",
                    " 0 Variables est\xE1ticas: 0 bytes",
                    "",
                    " Consumo de Memorica Din\xE1mica :",
                    " Valor Actual : *",
                    " Valor m\xE1ximo : *",
                    "\x1A",
                });
}

TEST(ReportFactsTest, CallerFramesSkipHandlerLevelsAndUnnamedFrames) {
    runtime::Frame a("ACTUA", 1);
    runtime::Frame unnamed("", 2);
    runtime::Frame b("COPIAEMP", 3);
    runtime::Frame block("(b)ERRORSYS", 4);
    runtime::Frame handler("ERRORDIALOG", 5);
    auto frames = callerFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].name, "COPIAEMP");
    EXPECT_EQ(frames[1].name, "ACTUA");
}

TEST(ReportFactsTest, MachineFactsAreFilled) {
    ReportFacts f = gatherFacts();
    EXPECT_EQ(f.exePath, os::programFileName().value());
    EXPECT_GT(f.exeSizeBytes, 0u);
    EXPECT_FALSE(f.cpuName.empty());
    EXPECT_GT(f.physicalMemoryBytes, 0u);
    EXPECT_GT(f.memory.peakBytes, 0u);
    EXPECT_EQ(f.timeOfDay.size(), 8u);
}

TEST_F(HandlerTest, ToolkitErrorsReachTheHandlerDirectly) {
    EXPECT_EQ(_QXGENERROR(0, "x"), nullptr);
    EXPECT_EQ(_QXGENERROR(7, "x"), nullptr);
    EXPECT_TRUE(dialog_->shown().empty());

    auto err = _QXGENERROR(3, "\r\nResource: DLGINS");
    ASSERT_NE(err, nullptr);
    ASSERT_EQ(dialog_->shown().size(), 1u);
    EXPECT_EQ(dialog_->shown()[0].description,
              " Descripci\xF3n del error: Error Tellurn/3 Cannot create Dialog Box: \r\nResource: "
              "DLGINS");
    EXPECT_EQ(err->get("Severity").num(), 3);
    EXPECT_TRUE(err->get("CanDefault").logical());  // forced by the handler

    dialog_->queue(DialogAnswer::Exit);
    try {
        _QXGENERROR(1, "No: 110");
        ADD_FAILURE() << "the program did not end";
    } catch (const runtime::ProgramExit& exit) {
        EXPECT_EQ(exit.code, 1);
    }
}

TEST_F(HandlerTest, LowMemoryWarningReturnsTheHandlersAnswer) {
    Value answer = __LOWMEMERROR();
    ASSERT_TRUE(answer.isLogical());
    EXPECT_FALSE(answer.logical());
    EXPECT_EQ(dialog_->shown()[0].description,
              " Descripci\xF3n del error: Atenci\xF3n BASE/5300 Memory Low");
    auto row = toolkitError(4, "");
    EXPECT_TRUE(row->get("CanDefault").logical());
    EXPECT_FALSE(toolkitError(6, "")->get("CanDefault").logical());
}

TEST(GenErrorTest, MessageNotFound) {
    auto err = _GENERROR(1004, "TWBROWSE", "NROWPOS");
    EXPECT_EQ(err->get("SubSystem").text(), "BASE");
    EXPECT_EQ(err->get("SubCode").num(), 1004);
    EXPECT_EQ(err->get("Severity").num(), 2);
    EXPECT_EQ(err->get("Description").text(), "Message not found");
    EXPECT_EQ(err->get("Operation").text(), "TWBROWSE:NROWPOS");
}

}  // namespace
}  // namespace errors
